// One specialised build of the pattern shader: the per-frame switches pinned
// to this frame's values and only the features a set of rectangles needs.
// The program text is the shader file itself with a block of #define lines
// inserted after its #version line; the file alone is the general program.
#pragma once

#include <cstdint>
#include <string>

#include "free/ParameterConversion.h"

struct ProgramVariant {
  // What the program writes: the output; or, for drawing the ball over a
  // copy, the colour and coverage under the ball before the gain
  // (Background), and the ball with the gain over such a background read
  // from a texture (BallOver, which draws no pattern of its own).
  enum class Stage { Output = 0, Background = 1, BallOver = 2 };

  int pattern = 0;
  int labelMode = 0;  // pinned for the panel grid only
  bool showResolution = false;
  bool moving = false;
  bool transparent = false;
  bool credit = false;
  unsigned features = 0;  // RegionFeature bits the program draws
  Stage stage = Stage::Output;

  // This frame's switches with `features`; switches no part of the program
  // reads are left at 0 so that frames differing only there share a program.
  static ProgramVariant For(const FrameParameters& p, unsigned features);
  // The background under a piece of the ball that `features` (labels,
  // coordinates) reach into: the pattern and those texts, nothing above.
  static ProgramVariant Background(const FrameParameters& p, unsigned features);
  // The moving element over a background: one program for every pattern.
  static ProgramVariant BallOver(const FrameParameters& p);

  // A number unique to each variant, for caching programs.
  std::uint32_t Key() const;
  // The #define lines (each ending in a line break).
  std::string Defines() const;
};

// `generalSource` with `defines` inserted after its first line (#version);
// unchanged when it has no line break.
std::string WithDefines(const char* generalSource, const std::string& defines);
