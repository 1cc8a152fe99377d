// The GL entry-point loader (GLEW), initialised once per process at the first
// instantiation. A failed initialisation is permanent: it is never retried.
#pragma once

// Initialises the loader on the first call; answers whether the loader is
// usable. Needs a current GL context on its first call.
bool EnsureGLLoader();

// The loader's first answer counts as success: GLEW_OK, and on Linux also
// GLEW_ERROR_NO_GLX_DISPLAY, which GLEW gives under an EGL context after it
// has loaded every GL entry point (the plug-in calls no GLX function).
bool GlewAnswerIsUsable(unsigned answer);
