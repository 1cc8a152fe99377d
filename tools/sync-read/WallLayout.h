// veltrima-sync-read --wall PHOTO --layout FILE [--screen N]: the regions of
// a photo of MAP's frame codes named by the layout MAP drew them from. MAP
// gives each cabinet the region index of its place in the layout's whole
// cabinet list (every screen's together), so the index alone names the
// cabinet; the screen is a check:
// - with a screen chosen, every region read must be a cabinet of it;
// - without one, each output is taken to show the screen most of its
//   regions' cabinets lie on, and a region of another screen is refused.
// A region the layout cannot name (an index past its cabinets, a cabinet of
// another screen) is listed as unplaced with the reason; the cabinets of the
// screens shown that no region was read from are listed as unseen (a
// cabinet without room for a code is one of them).
#pragma once

#include <optional>
#include <string>

#include "map/layout/Layout.h"
#include "tools/sync-read/WallReport.h"

// Why `screen` is not one of the layout's screens ("screen 3 of 2: ..."), or
// empty when it is or none was chosen.
std::string ScreenError(const layout::Layout& wall, std::optional<int> screen);

// Names the regions of `verdict` by the cabinets of `wall`: fills each
// region's cabinet and port, and the verdict's unplaced and unseen lists.
// Answers ScreenError's message (the verdict then stays as it was), else empty.
std::string PlaceOnLayout(WallVerdict& verdict, const layout::Layout& wall, std::optional<int> screen);

// The lines for standard error about what could not be placed and what was
// never seen, at most `most` regions named one per line (then a count of
// the rest); empty when everything was placed and seen.
std::string PlacementNotes(const WallVerdict& verdict, std::size_t most = 20);
