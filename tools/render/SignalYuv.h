// Straight-alpha 16-bit RGBA frames of a signal's codes into the planar YUV
// an encoder takes (4:4:4 or 4:2:0, 8 or 10 bits, alpha where the format has
// it), by the signal's matrix (BT.2020 non-constant luminance for PQ and
// HLG, BT.709 for SDR) in its own range.
//
// The codes are the signal already: a narrow-range picture has black at 64
// and white at 940 in R, G and B, and its Y is the same weighted sum of
// those codes, with chroma around 512 at 896 / 876 of the difference's
// scale. Nothing is squeezed into or stretched out of narrow range, and
// codes below black or above white (the bars' -7 % and 109 %) pass as they
// are. libswscale is not used here: it takes RGB as full range and would
// squeeze narrow-range codes a second time.
//
// Each 4:4:4 pixel gets the integer Y, Cb, Cr (of the eight around its exact
// values) whose decoding comes closest to its R, G and B, so a decoder that
// follows the tags gets every code back within half a code or so, where
// plain rounding of each would drift up to 1.4 codes in blue.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <cstdint>

#include "tools/render/SignalChoice.h"

class SignalYuv {
 public:
  // `format` is the frame's pixel format: a planar YUV(A) of 8 to 16 bits.
  SignalYuv(const VideoSignal& signal, AVPixelFormat format);

  // Fills `frame` (of the format above, width x height) from `rgba`, rows
  // top-down and tightly packed.
  void Convert(const std::uint16_t* rgba, AVFrame* frame) const;

 private:
  struct Yuv {
    int y, cb, cr;
  };
  Yuv Nearest(const double rgb[3]) const;
  void Store(AVFrame* frame, int plane, int x, int y, int value) const;

  double kr_, kb_, kg_;
  double gain_;  // chroma's scale: 896 / 876 in narrow range, 1 in full
  int maximum_, middle_;
  int chromaShiftX_, chromaShiftY_;
  bool alpha_, wide_;
  double wordScale_;   // a 16-bit word times this is its code at the output's depth
  double alphaScale_;  // alpha is full scale at every depth
};
