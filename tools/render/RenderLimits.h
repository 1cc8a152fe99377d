// The output size: parsed from WIDTHxHEIGHT and held to what the GL
// implementation can render.
#pragma once

#include <string>

struct Size {
  int width = 0;
  int height = 0;
};

// Throws UsageError for anything but two positive whole numbers joined by x.
Size ParseSize(const std::string& text);

// Throws UsageError when the size exceeds GL_MAX_TEXTURE_SIZE or
// GL_MAX_VIEWPORT_DIMS of the current context.
void RequireWithinGLLimits(const Size& size);
