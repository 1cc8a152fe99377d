#include "host/GLLoader.h"

#include <GL/glew.h>

namespace {

bool attempted = false;
bool succeeded = false;

}  // namespace

bool GlewAnswerIsUsable(unsigned answer) {
  if (answer == GLEW_OK) return true;
#if defined(__linux__)
  return answer == GLEW_ERROR_NO_GLX_DISPLAY;
#else
  return false;
#endif
}

bool EnsureGLLoader() {
  if (!attempted) {
    attempted = true;
    succeeded = GlewAnswerIsUsable(glewInit());
  }
  return succeeded;
}
