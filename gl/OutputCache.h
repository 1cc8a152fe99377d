// OutputCache: a picture that stays the same from frame to frame, drawn once
// into a colour buffer of the output's size and copied to the host's
// framebuffer each frame: on a software renderer a copy costs about one
// fill, however many shapes the picture holds. GL objects go only through
// Release(), because a destructor may run with no context current.
//
// The buffer holds what the host's framebuffer holds, in its format: RGBA8
// where the framebuffer bound when it is made has 8-bit normalised colour
// (every value the drawing writes lands on the same byte as a direct draw
// would), RGBA32F or RGBA16F where it has float or half-float colour, and
// RGBA16F for any other depth; a copy between equal formats is a copy of
// memory. The copy may scale the colour by a gain (a fade applied at copy
// time, so the picture is never drawn again for it): the picture is copied
// as it is, then the framebuffer's colour blended down by the gain, which
// costs about one fill. Float framebuffers get the product exactly; an
// 8-bit one blends in its own precision, within one step of byte x gain.
//
// Every call leaves every binding and setting as it found it (the host's
// framebuffers, viewport, scissor, blending, depth, culling, colour mask,
// renderbuffer, texture, program, vertex array); the copy is clipped by the
// host's scissor box like a draw. No call reads GL's error state: a lost
// context may answer errors for ever, and the host's own errors are not
// ours to take.
#pragma once

#include <GL/glew.h>

#include <functional>

#include "gl/ShaderProgram.h"

namespace ffglex {

class OutputCache {
 public:
  // The largest picture kept (4096 x 2304 pixels, 37.7 MB in RGBA8); larger
  // outputs are drawn directly every frame.
  static constexpr long long kMaxPixels = 4096LL * 2304LL;

  // How much of the drawing the buffer holds: what the host's framebuffer
  // shows (above), or every value exactly (RGBA32F), for pictures whose
  // values are measured code values that a deeper host must get unchanged,
  // or the host's own format wherever a draw into it lands on what a draw
  // into the host's lands on (8-, 10- and 16-bit normalised, half and single
  // float; RGBA32F where it is none of those): a picture copied in stands
  // for one drawn there, at no more memory than the host's own.
  enum class Precision { HostFramebuffer, Exact, HostExactly };

  explicit OutputCache(Precision precision = Precision::HostFramebuffer)
      : precision_(precision) {}
  OutputCache(const OutputCache&) = delete;
  OutputCache& operator=(const OutputCache&) = delete;

  // Makes or keeps a buffer of width x height in the precision of the
  // framebuffer bound for drawing; false when the size is past kMaxPixels
  // or the buffer could not be made (nothing is kept then).
  bool Prepare(int width, int height);
  // Draws `draw` into the buffer (viewport 0,0,width,height, no scissor,
  // blending, depth test or culling, every channel written), after clearing
  // it to transparent black when `clear` is set (a picture may also be drawn
  // in several parts, one call each).
  void Render(const std::function<void()>& draw, bool clear = true);
  // Clears the rows [top, bottom) of the buffer (counted from the top, as
  // output pixels are) and draws `draw` into them only, clipped by a
  // scissor: a picture drawn a band at a time, nothing outside the band
  // touched. The first call that clears makes a strip of transparent rows
  // that the clear copies from (kept until Release); a drawing that covers
  // every pixel of the band passes `clear` false and needs none.
  void RenderRows(int top, int bottom, const std::function<void()>& draw, bool clear = true);
  // Copies the buffer to the framebuffer that was bound for drawing, at
  // (x, y) in its own pixels (the host's viewport origin), its red, green
  // and blue times `gain` (0..1, clamped; 1, more or NaN copies the bytes
  // unchanged).
  void CopyTo(int x, int y, float gain = 1.0f);
  void Release();
  bool Ready() const { return framebuffer_ != 0; }
  // True from a Prepare that made a new buffer until the next Render or
  // RenderRows.
  bool Fresh() const { return fresh_; }
  // Bytes a pixel of the buffer takes (4, 8 or 16; 0 when none is kept).
  int BytesPerPixel() const;
  // Bytes the buffer takes (0 when none is kept).
  long long Bytes() const { return static_cast<long long>(BytesPerPixel()) * width_ * height_; }
  // The texture holding the picture, for a program that reads it (0 when
  // none is kept); it stays the cache's to release.
  GLuint Texture() const { return colour_; }
  // Builds the program of a copy with a gain ahead of its first use, so that
  // the first frame of a fade compiles nothing; false when it cannot be built
  // (a gain copy then copies the picture unchanged).
  bool MakeGainProgram();

 private:
  // The strip's height: a band taller than the strip is cleared in several
  // copies, each a copy of memory as cheap as a few rows' worth.
  static constexpr int kStripRows = 64;

  // Clears the buffer's rows [low, high), counted from the bottom as GL
  // counts them, with the framebuffer bound and the band's scissor set:
  // copied from the strip, or a clear where no strip could be made.
  void ClearRows(int low, int high);
  bool MakeStrip();
  void ReleaseStrip();

  Precision precision_;
  bool fresh_ = false;
  GLuint framebuffer_ = 0;
  GLuint colour_ = 0;  // a texture, which the strip's rows are copied into
  GLenum format_ = 0;
  int width_ = 0, height_ = 0;
  ShaderProgram gainProgram_;
  GLuint emptyArray_ = 0;  // core profiles draw only with a vertex array bound
  GLuint stripFramebuffer_ = 0;
  GLuint stripColour_ = 0;  // transparent; the format and width of colour_
  int stripRows_ = 0;
};

}  // namespace ffglex
