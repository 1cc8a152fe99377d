// The first SYNC layout, for landscape outputs near 16:9 (see Layout.h).
#pragma once

#include "sync/Layout.h"

// Every element placed in proportion to the output (already clamped to
// kMaxLayoutDimension); what falls outside is cut away, and nothing checks
// the minimum sizes (ComputeSyncLayout does).
SyncLayout ClassicSyncLayout(int width, int height, int requestedCellSize, int requestedQrModule);
