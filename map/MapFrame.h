// One MAP frame as figures (shapes/FigureList.h): the map of the chosen
// screen, the screen that says no file is loaded, or the error screen; plain
// CPU work, no GL. The frame changes only with the layout, the settings and
// the output size, so the plug-in composes it when one of them changes and
// draws the same figures until then.
//
// The map's layers, bottom to top: the gap hatch (over the gaps, or over the
// whole output where finding them would cost too much), each cabinet black
// inside its border, the overlap hatch and the borders it covered,
// orientation marks, chain arrows, texts, the info line, and the banner when
// the file's last read failed.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "map/CabinetCode.h"
#include "map/MapSource.h"
#include "map/ScreenPlan.h"
#include "map/Settings.h"
#include "shapes/FigureList.h"

// What the frame says about the screen, as its info line counts it.
struct MapFacts {
  std::size_t cabinets = 0;
  std::size_t overlapPairs = 0;
  std::size_t outside = 0;  // cabinets not wholly inside the output
  bool canvasDiffers = false;
};

// The info line's texts: "WALL.CSV · 24 CABINETS · SCREEN 1 · 2 OVERLAPS ·
// 3 OUTSIDE" (counts left out when zero, the screen's name after its number
// when it has one), and "CANVAS 3840x2160, OUTPUT 1920x1080" when the sizes
// differ (else empty).
std::string InfoText(const std::string& fileName, const ScreenPlan& plan, const MapFacts& facts);
std::string SizeText(const ScreenPlan& plan, int width, int height);

MapFacts CountFacts(const ScreenPlan& plan, int width, int height);

// Appends the frame for an output of width x height. `plan` is the chosen
// screen of source.GoodLayout() (null when there is none). Plain CPU work on
// its arguments alone: it may run on any thread. On a map, the
// info line and the banner of a failed re-read go where they cover none of a
// cabinet's texts, marks or borders, nor each other (map/InfoPlacement.h);
// where there is no such place they are left out and `note`, when given,
// says why (for the banner, with the error). `placed`, when given, receives
// the plates placed on the map, `codes` the frame codes drawn (whose dynamic
// cells the plug-in draws over the picture each frame). With no map (no file, no such screen, a
// first read that failed) the banner stays across the top.
void ComposeMapFrame(const MapSourceFacts& source, const ScreenPlan* plan, const MapSettings& settings,
                     int width, int height, shapes::FigureList& list,
                     std::string* note = nullptr, std::vector<shapes::Rect>* placed = nullptr,
                     std::vector<CabinetCode>* codes = nullptr);

// "LOADING WALL.CSV", drawn over the last picture while the file is read.
// Over a map (`plan` and `settings` as that picture was composed) it goes
// where the info line would, clear of the plates in `taken`, or is left out
// and `note` says why; with no map, on a black band across the top.
void ComposeLoadingLine(const std::string& fileName, const ScreenPlan* plan,
                        const MapSettings& settings, const std::vector<shapes::Rect>& taken,
                        int width, int height, shapes::FigureList& list,
                        std::string* note = nullptr);

// What a screen the file does not have says: "SCREEN 5 OF 2: NO SUCH
// SCREEN", and "SCREENS: 1 FRONT · 2 SIDE" when the file names its
// screens (empty otherwise).
std::string NoSuchScreenText(const ScreenPlan& plan);
std::string ScreenNamesText(const std::vector<std::string>& names);

// The banner's height for an output `height` pixels tall (the error screen
// and a failed re-read show it at the top).
int BannerHeight(int height);
