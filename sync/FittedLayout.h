// The SYNC layout fitted to any output shape (see Layout.h): portrait
// outputs stack the texts, the three tiles (QR code, flash box, markers), the
// ruler and four vertical tracks from the top down; landscape outputs and
// ribbons put the texts and tiles side by side above four horizontal tracks
// and the ruler.
#pragma once

#include "sync/Layout.h"

// Places every element in the room the shape gives it, without checking the
// minimum sizes (ComputeSyncLayout does); nothing reaches outside the output.
SyncLayout FittedSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule);
