// Shared set-up for the tests that link the MAP plug-in's code (to reach
// inside an instance): the plug-in as a library, a GL context, and the texts
// of an instance's last composed frame read back from its figures.
#pragma once

#include <string>
#include <vector>

#include "hostkit/GLContext.h"
#include "hostkit/HostInstance.h"
#include "hostkit/PluginLibrary.h"
#include "shapes/FigureList.h"

const hostkit::PluginLibrary& LinkedMap();
// Current on the calling thread once asked for.
hostkit::GLContext& LinkedMapContext();

// Runs frames until the instance has read its file and drawn its picture
// whole (one frame for a settled picture); false when that took 10 s.
bool Settle(hostkit::HostInstance& instance);

// One line of text as the figures draw it: the top-left corner of its
// first glyph, its scale, and its glyphs as characters (capitals, digits,
// punctuation; the font's small x as 'x', the middle dot as U+00B7 in
// UTF-8, the placeholder as U+FFFD).
struct ScreenText {
  int x = 0, y = 0, scale = 0;
  std::string text;
};

// Every text of `figures` in drawing order, each line whole (AddText cuts
// a line into runs of kGlyphsPerRun glyphs; runs that continue one another
// are joined).
std::vector<ScreenText> TextsOf(const shapes::FigureList& figures);

// The texts of the last frame the instance composed.
std::vector<ScreenText> TextsOf(const hostkit::HostInstance& instance);
