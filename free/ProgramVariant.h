// One specialised build of the pattern shader: the per-frame switches pinned
// to this frame's values and only the features a set of rectangles needs.
// The program text is the shader file itself with a block of #define lines
// inserted after its #version line; the file alone is the general program.
#pragma once

#include <cstdint>
#include <string>

#include "free/ParameterConversion.h"

struct ProgramVariant {
  int pattern = 0;
  int labelMode = 0;  // pinned for the panel grid only
  bool showResolution = false;
  bool moving = false;
  bool transparent = false;
  bool credit = false;
  unsigned features = 0;  // RegionFeature bits the program draws

  // This frame's switches with `features`; switches no part of the program
  // reads are left at 0 so that frames differing only there share a program.
  static ProgramVariant For(const FrameParameters& p, unsigned features);

  // A number unique to each variant, for caching programs.
  std::uint32_t Key() const;
  // The #define lines (each ending in a line break).
  std::string Defines() const;
};

// `generalSource` with `defines` inserted after its first line (#version);
// unchanged when it has no line break.
std::string WithDefines(const char* generalSource, const std::string& defines);
