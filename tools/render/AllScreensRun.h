// --all-screens run: one still PNG per screen of the MAP plug-in's layout
// file, each rendered at its screen's canvas through the tool's pipeline
// (tools/render/Sequence.h), all of them or none left behind.
#pragma once

#include <vector>

#include "framestamp/FrameRate.h"
#include "hostkit/PluginLibrary.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/RenderOptions.h"

// What --all-screens refuses before any module is loaded: it makes one
// still PNG per screen of a MAP layout, each at that screen's own size.
// Throws UsageError.
void CheckAllScreensOptions(const RenderOptions& options);

// Renders every screen of the layout the values name; makes its own GL
// context. Answers the exit status (0).
int RenderAllScreens(const hostkit::PluginLibrary& plugin, const ParameterTable& table,
                     const RenderOptions& options, const FrameRate& rate,
                     const std::vector<ParameterValue>& values, int rawDescriptor);
