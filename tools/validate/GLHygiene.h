// The GL state a host expects to find as it left it after every plug-in call,
// the unusual state a careful host sets to catch a plug-in that assumes
// defaults, and the GL errors and KHR_debug error messages a call raised.
#pragma once

#include <GL/glew.h>

#include <string>
#include <vector>

#include "hostkit/RenderTarget.h"

namespace validate {

struct StateEntry {
  std::string name;
  std::vector<GLint> values;
};
using StateSnapshot = std::vector<StateEntry>;

// Framebuffer bindings, viewport, scissor, blend, depth and cull state, and
// the program, vertex array and array buffer bindings.
StateSnapshot SnapshotState();

// "GL_BLEND_SRC_RGB was GL_SRC_ALPHA, now GL_ONE; ..."; empty when equal.
std::string DescribeChanges(const StateSnapshot& before, const StateSnapshot& after);

// Binds `target` with `viewport`, then sets scissor, blend, depth and cull
// state to values that are not GL's defaults. The scissor box covers the
// viewport, so drawing still reaches every output pixel. Program, vertex
// array and array buffer are bound to 0.
void SetUnusualHostState(hostkit::RenderTarget& target, hostkit::Viewport viewport);

// Bindings the plug-in must leave at 0: "program 5 left bound"; empty if none.
std::string BindingsLeft();

std::string GLEnumName(GLenum value);

// Collects GL_DEBUG_TYPE_ERROR messages through glDebugMessageCallback while
// it lives (synchronous output, so a message arrives inside the call that
// caused it).
class DebugErrorLog {
 public:
  DebugErrorLog();
  ~DebugErrorLog();
  DebugErrorLog(const DebugErrorLog&) = delete;
  DebugErrorLog& operator=(const DebugErrorLog&) = delete;

  // Whether a deliberately bad call reached the callback: false means the
  // driver reports nothing this way and only glGetError is left.
  bool Works() const { return works_; }
  // Messages since the last Take.
  std::vector<std::string> Take();

 private:
  bool works_ = false;
};

// Empties the GL error queue; answers the names of the errors found.
std::string DrainGLErrors();

}  // namespace validate
