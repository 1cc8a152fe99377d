// The HDR plug-in's patterns, each appended to a shape list for a
// width x height output (the caller clears the list). Plain CPU work, no GL.
#pragma once

#include <cstdint>
#include <string>

#include "calibration/PatchScene.h"
#include "hdr/Settings.h"
#include "shapes/ShapeList.h"

namespace hdr {

// BT.2111-3's colour bars for PQ Narrow, PQ Full and HLG Narrow; for any
// other signal a black screen that says which signals the bars exist for.
void AddBt2111Bars(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);
// The text of that screen.
inline constexpr char kBt2111Undefined[] = "BT.2111 DEFINES PQ NARROW, PQ FULL AND HLG NARROW";

// BT.814 PLUGE on black of the range.
void AddPluge(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);

// "Steps" vertical bands: equal steps of light from 0 to the peak (Nit
// Steps) or equal steps of code from black to white (Signal Steps).
void AddNitSteps(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);
void AddSignalSteps(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);

// Every code of the range left to right above, the same through an 8-bit
// chain below, a scale between them.
void AddRamp(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);

// A centred window of the patch codes on the background code.
void AddPatch(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);

// Chain Check: the frame a capture is read back from (chaincheck/Layout.h
// places and colours every part), its strip saying frame counter 0, and
// labels for people where "Labels" is on.
void AddChainCheck(const HdrSettings& settings, int width, int height, shapes::ShapeList& list);
// The strip alone, all 58 cells black or white, for frame counter `frame`:
// drawn over the kept picture each frame.
void AddChainCheckStrip(const HdrSettings& settings, int width, int height, std::uint16_t frame,
                        shapes::ShapeList& list);

// What the calibration client holds for the frame: its last good patch (if
// any) and its status line.
struct NetworkPatchView {
  calibration::PatchScene scene;
  bool hasPatch = false;
  std::string status;
};

// The "Patch" pattern driven by a calibration program: its scene, the last
// rectangle's codes outside it ("Labels") and the status line ("Status
// Line").
void AddNetworkPatch(const HdrSettings& settings, const NetworkPatchView& view, int width,
                     int height, shapes::ShapeList& list);

// The notice an 8-bit (or shallower) framebuffer gets, top-left.
inline constexpr char kRoundedFramebufferNotice[] = "8-BIT FRAMEBUFFER: CODES ROUNDED";
void AddRoundedFramebufferNotice(const HdrSettings& settings, int width, int height,
                                 shapes::ShapeList& list);

// The whole frame: the chosen pattern, and the notice when `rounded` (the
// framebuffer holds under 10 bits) and the switch is on.
// `network` is the calibration client's patch when the "Patch" pattern
// takes it from the network, else null.
void ComposeHdrFrame(const HdrSettings& settings, int width, int height, bool rounded,
                     shapes::ShapeList& list, const NetworkPatchView* network = nullptr);

}  // namespace hdr
