// Preloaded into veltrima-render by its tests, this stands in for a plug-in
// that prints to standard output: it wraps glewInit, which the plug-in calls
// while it sets up its GL side, and prints there, once flushed and once left
// in stdio's buffer, as careless code does.
#include <GL/glew.h>
#include <dlfcn.h>

#include <cstdio>

extern "C" __attribute__((visibility("default"))) GLenum glewInit() {
  using GlewInit = GLenum (*)();
  static const auto real = reinterpret_cast<GlewInit>(dlsym(RTLD_NEXT, "glewInit"));
  std::fputs("stdout chatter: flushed\n", stdout);
  std::fflush(stdout);
  std::fputs("stdout chatter: left in the buffer\n", stdout);
  return real ? real() : static_cast<GLenum>(GLEW_ERROR_NO_GL_VERSION);
}
