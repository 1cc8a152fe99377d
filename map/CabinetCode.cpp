#include "map/CabinetCode.h"

#include <algorithm>

#include "framestamp/RegionCode.h"
#include "map/CabinetDrawing.h"
#include "shapes/Colour.h"
#include "shapes/RegionCodeRects.h"

shapes::Rect CabinetCode::Box() const {
  return shapes::RectAt(x, y, kRegionCodeSide * cell, kRegionCodeSide * cell);
}

std::optional<CabinetCode> PlaceCabinetCode(std::uint32_t region, const shapes::Rect& cabinet,
                                            int lineWidth, int requestedCell,
                                            const std::vector<shapes::Rect>& keepClear) {
  if (region > kRegionMaxIndex) return std::nullopt;
  const shapes::Rect inner = InnerRect(cabinet, lineWidth);
  const int first = std::clamp(requestedCell, kMinRegionCellSize, kMaxRegionCellSize);
  for (int cell = first; cell >= kMinRegionCellSize; --cell) {
    const int side = kRegionCodeSide * cell;
    if (side + cell > inner.Width() / 2 || side + 2 * cell > inner.Height()) continue;
    const CabinetCode code{region, inner.x0 + cell, inner.y0 + (inner.Height() - side) / 2, cell};
    const shapes::Rect box = code.Box();
    if (std::none_of(keepClear.begin(), keepClear.end(),
                     [&](const shapes::Rect& r) { return r.Overlaps(box); }))
      return code;
  }
  return std::nullopt;
}

void AddCabinetCodeStatic(shapes::FigureList& list, const CabinetCode& code, std::uint32_t output,
                          float brightness) {
  const RegionCodeData data = EncodeRegionCode({output, code.region}, 0);
  const shapes::Colour white = shapes::Dimmed(shapes::kWhite, brightness);
  for (const shapes::CodeRect& r :
       shapes::RegionCodeRects(data, code.x, code.y, code.cell, shapes::RegionCodePart::Static))
    list.AddRect(r.rect, r.white ? white : shapes::kBlack);
}

void AddCabinetCodeDynamic(shapes::ShapeList& list, const CabinetCode& code, std::uint32_t output,
                           std::uint64_t frame, float brightness) {
  const RegionCodeData data = EncodeRegionCode({output, code.region}, frame);
  const shapes::Colour white = shapes::Dimmed(shapes::kWhite, brightness);
  for (const shapes::CodeRect& r :
       shapes::RegionCodeRects(data, code.x, code.y, code.cell, shapes::RegionCodePart::Dynamic))
    list.AddRect(r.rect, white);
}
