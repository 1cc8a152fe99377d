#include "free/ProgramVariant.h"

#include <cstring>

#include "free/shaders/ShaderConstants.h"
#include "free/FrameRegions.h"

ProgramVariant ProgramVariant::For(const FrameParameters& p, unsigned features) {
  ProgramVariant v;
  v.pattern = p.pattern;
  v.labelMode = p.pattern == glsl::PATTERN_GRID ? (p.labelMode == 0 ? 0 : 1) : 0;
  // The raster's corner texts and the info box read it.
  v.showResolution = p.showResolution;
  v.moving = p.moving && (features & kRegionMoving) != 0;
  v.transparent = p.transparent;
  v.credit = p.credit && (features & kRegionCredit) != 0;
  v.features = features & kRegionAll;
  return v;
}

ProgramVariant ProgramVariant::Background(const FrameParameters& p, unsigned features) {
  ProgramVariant v = For(p, features & (kRegionLabel | kRegionCoords));
  v.stage = Stage::Background;
  return v;
}

ProgramVariant ProgramVariant::BallOver(const FrameParameters& p) {
  ProgramVariant v;
  v.moving = p.moving;
  v.transparent = p.transparent;
  v.features = kRegionMoving;
  v.stage = Stage::BallOver;
  return v;
}

std::uint32_t ProgramVariant::Key() const {
  // Pattern numbers outside 0..6 all draw the checker: one program for all.
  const auto patternCode = static_cast<std::uint32_t>(
      pattern >= 0 && pattern < glsl::PATTERN_CHECKER ? pattern : glsl::PATTERN_CHECKER);
  return patternCode | static_cast<std::uint32_t>(labelMode) << 3 |
         static_cast<std::uint32_t>(showResolution) << 4 | static_cast<std::uint32_t>(moving) << 5 |
         static_cast<std::uint32_t>(transparent) << 6 | static_cast<std::uint32_t>(credit) << 7 |
         features << 8 | static_cast<std::uint32_t>(stage) << 16;
}

std::string ProgramVariant::Defines() const {
  auto flag = [](bool on) { return on ? "true" : "false"; };
  const int patternCode =
      pattern >= 0 && pattern < glsl::PATTERN_CHECKER ? pattern : glsl::PATTERN_CHECKER;
  std::string text;
  text += "#define FIX_PATTERN " + std::to_string(patternCode) + "\n";
  text += "#define FIX_LABEL_MODE " + std::to_string(labelMode) + "\n";
  text += "#define FIX_SHOW_RES " + std::to_string(showResolution ? 1 : 0) + "\n";
  text += "#define FIX_MOVING " + std::to_string(moving ? 1 : 0) + "\n";
  text += "#define FIX_TRANSPARENT " + std::to_string(transparent ? 1 : 0) + "\n";
  text += "#define FIX_CREDIT " + std::to_string(credit ? 1 : 0) + "\n";
  text += std::string("#define DRAW_LABEL ") + flag(features & kRegionLabel) + "\n";
  text += std::string("#define DRAW_COORDS ") + flag(features & kRegionCoords) + "\n";
  text += std::string("#define DRAW_MOVING ") + flag(features & kRegionMoving) + "\n";
  text += std::string("#define DRAW_INFO ") + flag(features & kRegionInfo) + "\n";
  text += std::string("#define DRAW_CREDIT ") + flag(features & kRegionCredit) + "\n";
  if (stage == Stage::Background) text += "#define BACKGROUND_ONLY\n";
  if (stage == Stage::BallOver) text += "#define BALL_OVER_BACKGROUND\n";
  return text;
}

std::string WithDefines(const char* generalSource, const std::string& defines) {
  const char* lineEnd = std::strchr(generalSource, '\n');
  if (!lineEnd) return generalSource;
  const std::size_t split = static_cast<std::size_t>(lineEnd - generalSource) + 1;
  // #line keeps compiler messages on the file's own line numbers.
  return std::string(generalSource, split) + defines + "#line 2\n" +
         std::string(generalSource + split);
}
