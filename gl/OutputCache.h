// OutputCache: a picture that stays the same from frame to frame, drawn once
// into a colour buffer of the output's size (RGBA32F, so every value the
// drawing wrote is kept exactly) and copied to the host's framebuffer each
// frame with one blit: on a software renderer a copy costs about one fill,
// however many shapes the picture holds. GL objects go only through
// Release(), because a destructor may run with no context current.
//
// Both calls leave every binding and setting as they found them (the host's
// framebuffers, viewport, scissor, blending, depth, culling, colour mask,
// renderbuffer); the copy is clipped by the host's scissor box like a draw.
#pragma once

#include <GL/glew.h>

#include <functional>

namespace ffglex {

class OutputCache {
 public:
  // The largest picture kept (4096 x 2304 pixels, 151 MB); larger outputs
  // are drawn directly every frame.
  static constexpr long long kMaxPixels = 4096LL * 2304LL;

  OutputCache() = default;
  OutputCache(const OutputCache&) = delete;
  OutputCache& operator=(const OutputCache&) = delete;

  // Makes or keeps a buffer of width x height; false when the size is past
  // kMaxPixels or the buffer could not be made (nothing is kept then).
  bool Prepare(int width, int height);
  // Draws `draw` into the buffer (viewport 0,0,width,height, no scissor,
  // blending, depth test or culling, every channel written), after clearing
  // it to transparent black.
  void Render(const std::function<void()>& draw);
  // Copies the buffer to the framebuffer that was bound for drawing, at
  // (x, y) in its own pixels (the host's viewport origin).
  void CopyTo(int x, int y);
  void Release();
  bool Ready() const { return framebuffer_ != 0; }
  // True from a Prepare that made a new buffer until the next Render.
  bool Fresh() const { return fresh_; }

 private:
  bool fresh_ = false;
  GLuint framebuffer_ = 0;
  GLuint colour_ = 0;
  int width_ = 0, height_ = 0;
};

}  // namespace ffglex
