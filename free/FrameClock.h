// The instance's own animation clock: three accumulators driven by a steady
// clock and the "Speed" value, and the per-frame moving values derived from
// them (sweep lines, cycling solid colour, bouncing ball, sliding bar).
#pragma once

#include <cstdint>

#include "clock/ClockStep.h"

struct AnimationValues {
  int sweepX = 0, sweepY = 0;          // Sweep: column and row of the two sweep lines
  int sweepPassX = 0, sweepPassY = 0;  // SweepPass: completed passes modulo 4
  int cycleSolidIndex = 0;             // SolidIdx when "Solid Colour" cycles
  float ballX = 0, ballY = 0;          // Ball: centre in top-left pixel space
  float ballRadius = 0;                // BallR
  int barX = 0, barWidth = 0;          // BarX, BarW
};

// The moving values for sweep distance A, motion distance B and colour-cycle
// clock C at an output of width x height. Sizes below 1 are treated as 1.
// Defined for any input: non-finite or huge accumulators never reach an
// integer conversion unchecked.
AnimationValues ComputeAnimation(double sweep, double motion, double colourCycle, int width,
                                 int height);

class FrameClock {
 public:
  // The longest step one Advance takes, however long the gap since the last
  // call: a host that stalls resumes the animation where it stopped instead
  // of jumping. Programs that step the clock themselves split longer gaps.
  static constexpr std::int64_t kMaxStepNanoseconds = kLongestClockStepNanoseconds;
  static constexpr double kMaxStepSeconds = kMaxStepNanoseconds / 1e9;

  FrameClock() = default;
  // Starts from given accumulator values, with the clock not yet started.
  // Lets a tool resume a saved moment, and lets tests reach the 1e9 wrap:
  // running time gets there only after days (A, B) or decades (C), and even
  // steps of the longest length would need billions of calls for C.
  FrameClock(double sweep, double motion, double colourCycle)
      : sweep_(sweep), motion_(motion), cycle_(colourCycle) {}

  // Reads the steady clock once and advances the accumulators by the time
  // since the previous call (0 on the first call, at most kMaxStepSeconds) at the
  // rates for speed 0..1 (NaN counts as 0, other values are clamped). An
  // accumulator above 1e9 then restarts at 0.
  void Advance(float speed);

  double Sweep() const { return sweep_; }
  double Motion() const { return motion_; }
  double ColourCycle() const { return cycle_; }

  AnimationValues Values(int width, int height) const {
    return ComputeAnimation(sweep_, motion_, cycle_, width, height);
  }

 private:
  bool started_ = false;
  std::int64_t last_ = 0;
  double sweep_ = 0, motion_ = 0, cycle_ = 0;
};
