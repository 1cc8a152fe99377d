// Straight-alpha 16-bit RGBA frames of a signal's codes into the planar YUV
// an encoder takes (4:4:4 or 4:2:0, 8 or 10 bits, alpha where the format has
// it), by the signal's matrix (signal/CodeRules.h: BT.2020 non-constant
// luminance for PQ and HLG, BT.709 for SDR) in its own range.
//
// The codes are the signal already: a narrow-range picture has black at 64
// and white at 940 in R, G and B, and its Y is the same weighted sum of
// those codes, with chroma around 512 at 896 / 876 of the difference's
// scale. Nothing is squeezed into or stretched out of narrow range, and
// codes below black or above white (the bars' -7 % and 109 %) pass as they
// are. At other depths than 10 each code is first taken to the output's
// depth by its range's rule (SignalLevels.h: narrow c 2^(n-10), full
// (2^n - 1) c / 1023, so that full-range 700 is 174 at 8 bits, not 175).
// libswscale is not used here: it takes RGB as full range and would squeeze
// narrow-range codes a second time.
//
// Each 4:4:4 pixel gets the integer Y, Cb, Cr (of the eight around its exact
// values) whose decoding comes closest to its R, G and B, so a decoder that
// follows the tags gets every code back within half a code or so, where
// plain rounding of each would drift up to 1.4 codes in blue.
//
// 4:2:0 chroma is left-sited (H.273's chroma_sample_loc_type 0, what the
// file says and what decoders take when a file says nothing): each sample
// lies on an even column, between two rows, and is filtered there, 1 2 1
// across the columns and 1 1 down the rows, so a colour edge decodes where
// the picture has it.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <cstdint>

#include "signal/CodeRules.h"
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
  // The Y, Cb, Cr of a pixel's R, G, B words that decode closest to them.
  Yuv Nearest(const std::uint16_t* words) const;
  void Store(AVFrame* frame, int plane, int x, int y, int value) const;
  void StoreChroma(const std::uint16_t* rgba, AVFrame* frame) const;

  veltrima::signal::Range range_;
  veltrima::signal::LumaWeights weights_;
  double gain_;  // chroma's scale: 896 / 876 in narrow range, 1 in full
  int bits_, maximum_, middle_;
  int chromaShiftX_, chromaShiftY_;
  bool alpha_, wide_;
  double alphaScale_;  // alpha is full scale at every depth
};
