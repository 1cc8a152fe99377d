// An OpenGL 3.3 context, older than the 4.1 an FFGL 2 host provides: the
// plug-in must refuse cleanly (or, if it really needs no more, work).
#include <GL/glew.h>

#include <cstdlib>

#include "Check.h"
#include "Frames.h"
#include "GLCensus.h"
#include "Session.h"
#include "hostkit/RenderTarget.h"

namespace validate {
namespace {

Outcome OldContext(Session& session) {
  // Mesa gives its newest core version for any request unless told otherwise
  // before the process's first context; its GLSL version is capped apart.
  ::setenv("MESA_GL_VERSION_OVERRIDE", "3.3", 1);
  ::setenv("MESA_GLSL_VERSION_OVERRIDE", "330", 1);
  hostkit::GLContext& context = session.Context(3, 3);
  GLint major = 0, minor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &major);
  glGetIntegerv(GL_MINOR_VERSION, &minor);
  if (major > 3 || (major == 3 && minor > 3))
    return Skipped("the driver gave OpenGL " + context.VersionString() + " for a 3.3 request");
  const auto& plugin = session.Plugin();
  hostkit::RenderTarget target(32, 32, hostkit::PixelFormat::RGBA32F);
  const Census before = TakeCensus();
  target.Bind();
  session.Step("code 18 on OpenGL " + context.VersionString());
  FFInstanceID instance = plugin.Instantiate({0, 0, 32, 32});
  std::string path;
  if (instance) {
    // It claims to need no more than 3.3: then it has to work there.
    ProcessOpenGLStruct frame{0, nullptr, target.FramebufferName()};
    session.Step("code 17 on OpenGL 3.3");
    Require(plugin.ProcessOpenGL(instance, frame) == FF_SUCCESS, "instantiated on OpenGL 3.3, then code 17 failed");
    const auto pixels = target.ReadOutput();
    const std::string bad = FirstNonFinite(pixels, 32);
    Require(bad.empty(), "instantiated on OpenGL 3.3, then drew non-finite output: " + bad);
    plugin.Deinstantiate(instance);
    path = "instantiated and drew a finite frame on OpenGL 3.3";
  } else {
    path = "instantiation on OpenGL 3.3 answered failure";
  }
  const Census after = TakeCensus();
  const std::string left = NewObjects(before, after);
  Require(left.empty(), path + ", leaving " + left + " alive");
  return Passed(path + "; no GL object left");
}

}  // namespace

std::vector<Check> ContextChecks() { return {{"context.gl33", 1, 1, OldContext}}; }

}  // namespace validate
