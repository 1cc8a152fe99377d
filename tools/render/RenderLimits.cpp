#include "tools/render/RenderLimits.h"

#include <GL/glew.h>

#include <algorithm>
#include <cctype>

#include "tools/UsageError.h"

namespace {

// A positive whole number of at most 6 digits, or -1.
int ParseDimension(const std::string& text) {
  if (text.empty() || text.size() > 6) return -1;
  for (char c : text)
    if (!std::isdigit(static_cast<unsigned char>(c))) return -1;
  const int value = std::stoi(text);
  return value > 0 ? value : -1;
}

}  // namespace

Size ParseSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  const int width = x == std::string::npos ? -1 : ParseDimension(text.substr(0, x));
  const int height = x == std::string::npos ? -1 : ParseDimension(text.substr(x + 1));
  if (width < 1 || height < 1)
    throw UsageError("--size takes WIDTHxHEIGHT with two positive whole numbers, got \"" + text +
                     "\"");
  return {width, height};
}

void RequireWithinGLLimits(const Size& size) {
  GLint textureLimit = 0;
  GLint viewportLimit[2] = {0, 0};
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &textureLimit);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewportLimit);
  const int maxWidth = std::min(textureLimit, viewportLimit[0]);
  const int maxHeight = std::min(textureLimit, viewportLimit[1]);
  if (size.width > maxWidth || size.height > maxHeight)
    throw UsageError("--size " + std::to_string(size.width) + "x" + std::to_string(size.height) +
                     " is larger than this GL implementation renders (" +
                     std::to_string(maxWidth) + "x" + std::to_string(maxHeight) + ")");
}
