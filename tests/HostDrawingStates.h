// Drawing states a host may leave on when it calls a plug-in, each of which
// changes what a draw leaves in the framebuffer but not what a copy does:
// blending over what the host cleared, and a colour mask. A plug-in that
// keeps its picture must draw, not copy, under them, or its first frame (a
// draw) and the frames after it (copies) differ.
#pragma once

#include <GL/glew.h>

#include <functional>

struct HostDrawingState {
  const char* name;
  std::function<void()> set;  // on top of the default state
};

inline const HostDrawingState kHostDrawingStates[] = {
    {"additive blending",
     [] {
       glEnable(GL_BLEND);
       glBlendFunc(GL_ONE, GL_ONE);
     }},
    {"red and alpha masked", [] { glColorMask(GL_FALSE, GL_TRUE, GL_TRUE, GL_FALSE); }},
};

// Back to GL's defaults for the states above.
inline void ResetHostDrawingState() {
  glDisable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ZERO);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}
