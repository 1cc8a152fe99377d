#include "sync/RegionFrame.h"

#include "framestamp/RegionCode.h"
#include "glyphs/Utf8Glyphs.h"
#include "shapes/Colour.h"
#include "shapes/GlyphText.h"
#include "shapes/RegionCodeRects.h"

namespace {

void AddCodeRects(shapes::ShapeList& list, const RegionCodeData& data, int x, int y, int s) {
  for (const shapes::CodeRect& r : shapes::RegionCodeRects(data, x, y, s, shapes::RegionCodePart::Whole))
    list.AddRect(r.rect, r.white ? shapes::kWhite : shapes::kBlack);
}

}  // namespace

void ComposeRegionFrame(const RegionGrid& grid, std::uint32_t output, std::uint64_t frame,
                        float brightness, shapes::ShapeList& list,
                        std::vector<shapes::PlacedRegionCode>& codes) {
  codes.clear();
  list.AddRect({0, 0, grid.width, grid.height}, shapes::kBlack);
  const shapes::Colour outline = shapes::Dimmed({0.25f, 0.25f, 0.25f, 1.0f}, brightness);
  const shapes::Colour text = shapes::Dimmed(shapes::kWhite, brightness);
  // The outlines as whole lines, one per column and one per row: a grid of
  // 64 x 64 regions is 128 rectangles, not 8,192.
  for (int c = 0; c < grid.columns; ++c) {
    const int x = grid.places[static_cast<std::size_t>(c)].region.x1 - 1;
    list.AddRect({x, 0, x + 1, grid.height}, outline);
  }
  for (int r = 0; r < grid.rows; ++r) {
    const int y = grid.places[static_cast<std::size_t>(r * grid.columns)].region.y1 - 1;
    list.AddRect({0, y, grid.width, y + 1}, outline);
  }
  if (grid.cellSize <= 0) return;
  for (std::size_t i = 0; i < grid.places.size(); ++i) {
    const RegionPlace& p = grid.places[i];
    const RegionIdentity id{output, static_cast<std::uint32_t>(i)};
    if (grid.cellSize <= shapes::kMaxShadedCodeCell)
      codes.push_back({p.codeX, p.codeY, grid.cellSize, EncodeRegionCode(id, frame)});
    else
      AddCodeRects(list, EncodeRegionCode(id, frame), p.codeX, p.codeY, grid.cellSize);
    if (p.label.Empty()) continue;
    const std::string label = RegionLabel(output, static_cast<int>(i));
    const int width = shapes::TextWidth(static_cast<int>(label.size()), grid.labelScale);
    shapes::AddGlyphText(list, EncodeUtf8Glyphs(label, label.size(), SmallX::Times),
                         p.label.x0 + std::max(0, (p.label.Width() - width) / 2), p.label.y0,
                         grid.labelScale, text, p.label.Width());
  }
}
