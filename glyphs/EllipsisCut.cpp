#include "glyphs/EllipsisCut.h"

#include "glyphs/GlyphTable.h"

std::vector<std::int32_t> CutWithEllipsis(std::vector<std::int32_t> glyphs, std::size_t most) {
  if (glyphs.size() <= most) return glyphs;
  if (most == 0) return {};
  glyphs.resize(most - 1);
  glyphs.push_back(kGlyphEllipsis);
  return glyphs;
}
