#include "free/StillKey.h"

#include <cstring>

#include "free/shaders/ShaderConstants.h"

namespace {

bool SameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool SameParameters(const FrameParameters& a, const FrameParameters& b) {
  return a.pattern == b.pattern && a.panelWidth == b.panelWidth &&
         a.panelHeight == b.panelHeight && a.offsetX == b.offsetX && a.offsetY == b.offsetY &&
         a.labelMode == b.labelMode && a.moving == b.moving &&
         a.showResolution == b.showResolution && SameBits(a.brightness, b.brightness) &&
         a.lineWidth == b.lineWidth && SameBits(a.numberSize, b.numberSize) &&
         a.solidIndex == b.solidIndex && SameBits(a.speed, b.speed) &&
         a.transparent == b.transparent && a.credit == b.credit;
}

bool SameTexts(const EncodedTexts& a, const EncodedTexts& b) {
  return a.line1 == b.line1 && a.line2 == b.line2 && a.line1Count == b.line1Count &&
         a.line2Count == b.line2Count && a.credit == b.credit;
}

}  // namespace

StillKey MakeStillKey(const FrameParameters& p, int solidIndex, const EncodedTexts& texts,
                      int width, int height) {
  StillKey key;
  key.p = p;
  key.p.speed = 0.0f;
  key.width = width;
  key.height = height;
  key.solidIndex = p.pattern == glsl::PATTERN_SOLID ? solidIndex : -1;
  key.texts = texts;
  return key;
}

bool SameSettings(const StillKey& a, const StillKey& b) { return SameParameters(a.p, b.p); }

bool SameStill(const StillKey& a, const StillKey& b) {
  return SameParameters(a.p, b.p) && a.width == b.width && a.height == b.height &&
         a.solidIndex == b.solidIndex && SameTexts(a.texts, b.texts);
}
