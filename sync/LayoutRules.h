// The minimum sizes of Layout.h, checked on a layout: an element present
// below its minimum is a fault; the fitted layout leaves such an element out
// whole and says why.
#pragma once

#include <string>
#include <vector>

#include "sync/Layout.h"

// What keeps the elements present in `layout` from their minimum sizes, one
// line per element; empty when there is nothing.
std::vector<std::string> MinimumSizeFaults(const SyncLayout& layout);

// Empties every element below its minimum (and its scale or module), and
// adds a line to layout.leftOut for it, and for a strip the output has no
// room for.
void LeaveOutWhatIsTooSmall(SyncLayout& layout);

// What falls outside the output is cut away (an empty rectangle where
// nothing is left).
void ClipToOutput(SyncLayout& layout);
