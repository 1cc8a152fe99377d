#include "map/MapFrame.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "framestamp/RegionCode.h"
#include "glyphs/EllipsisCut.h"
#include "glyphs/Utf8Glyphs.h"
#include "map/CabinetCode.h"
#include "map/CabinetDrawing.h"
#include "map/Gaps.h"
#include "map/InfoPlacement.h"
#include "map/Palette.h"
#include "shapes/Colour.h"
#include "shapes/GlyphText.h"

namespace {

using shapes::Colour;
using shapes::Dimmed;
using shapes::FigureList;
using shapes::Rect;

constexpr char kDot[] = " \xC2\xB7 ";
constexpr std::size_t kMaxLineGlyphs = 160;
// Message texts are at most this share of the output's height per line.
constexpr int kTextRowsPerOutput = 216;

// A line of text; `smallX` says whether an x in it is a letter (names from
// the layout and the file's name, the default) or the sign of a size. One
// longer than kMaxLineGlyphs ends in the ellipsis.
using GlyphLine = std::vector<std::int32_t>;
GlyphLine Glyphs(const std::string& text, SmallX smallX = SmallX::Letter) {
  return CutWithEllipsis(EncodeUtf8Glyphs(text, kMaxLineGlyphs + 1, smallX), kMaxLineGlyphs);
}

// A line cut, ending in the ellipsis, to what `room` pixels hold at `scale`.
GlyphLine CutToRoom(const GlyphLine& line, int room, int scale) {
  const int fitting = (std::max(0, room) / std::max(1, scale) + 1) / shapes::kGlyphAdvance;
  return CutWithEllipsis(line, static_cast<std::size_t>(fitting));
}

// The scale of a text line: about 1/216 of the height, and narrower than
// the output.
int LineScale(int count, int width, int height, int factor = 1) {
  // In 64 bits: a host may announce an output of 2^31 - 1 pixels.
  const long long wanted =
      std::max(1LL, static_cast<long long>(factor) * height / kTextRowsPerOutput);
  const int fitting = shapes::FittingScale(count, std::max(0, width - 4), height);
  return static_cast<int>(std::max(1LL, std::min<long long>(wanted, fitting)));
}

// Lines centred on the output's centre, on a plate when `plate` is given;
// one wider than the output at scale 1 is cut to it.
void AddCentredLines(FigureList& list, std::vector<GlyphLine> glyphs, int width, int height,
                     const std::vector<int>& factors, const Colour& colour, const Colour* plate) {
  std::vector<int> scales;
  int total = 0, widest = 0;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    glyphs[i] = CutToRoom(glyphs[i], width - 4, 1);
    const int n = static_cast<int>(glyphs[i].size());
    scales.push_back(LineScale(n, width, height, factors[i]));
    total += shapes::TextHeight(scales.back()) + (i > 0 ? 2 * scales.back() : 0);
    widest = std::max(widest, shapes::TextWidth(n, scales.back()));
  }
  int y = height / 2 - total / 2;
  if (plate) {
    const int pad = 2 * scales.front();
    list.AddRect({width / 2 - widest / 2 - pad, y - pad, width / 2 - widest / 2 + widest + pad,
                  y + total + pad},
                 *plate);
  }
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    const int n = static_cast<int>(glyphs[i].size());
    if (i > 0) y += 2 * scales[i];
    list.AddText(glyphs[i], width / 2 - shapes::TextWidth(n, scales[i]) / 2, y, scales[i], colour);
    y += shapes::TextHeight(scales[i]);
  }
}

void AddBanner(FigureList& list, const MapSourceFacts& source, int width, int height, float b) {
  const int bannerH = BannerHeight(height);
  list.AddRect({0, 0, width, bannerH}, Dimmed(map_palette::kBanner.colour, b));
  // The banner's scale, so that its rows fit its height; texts longer than
  // the width are cut at the right, ending in the ellipsis.
  const int scale = bannerH / 20;
  const Colour text = Dimmed(map_palette::kText.colour, b);
  const int room = std::max(0, width - 4 * scale);
  const auto title = CutToRoom(Glyphs("CANNOT LOAD " + source.fileName), room, scale);
  const auto message = CutToRoom(Glyphs(source.error), room, scale);
  list.AddText(title, scale * 2, scale * 2, scale, text, room);
  list.AddText(message, scale * 2, scale * 11, scale, text, room);
}

Rect Clipped(const Rect& r, const Rect& area) {
  return {std::max(r.x0, area.x0), std::max(r.y0, area.y0), std::min(r.x1, area.x1),
          std::min(r.y1, area.y1)};
}

// Where cabinet `i`'s frame code goes with "Frame Codes" on: clear of its
// mark and corner tags, as they are shown.
std::optional<CabinetCode> CodeOf(const ScreenPlan& plan, std::size_t i, const MapSettings& s) {
  if (!s.frameCodes) return std::nullopt;
  const Rect& r = plan.rects[i];
  const int rot = plan.cabinets[i]->rot;
  std::vector<Rect> keepClear = s.orientation ? MarkBoxes(r, s.lineWidth, rot) : std::vector<Rect>{};
  if (s.coordinates)
    for (const PlacedText& tag : CornerCoordinates(r, s.lineWidth, rot, s.orientation))
      keepClear.push_back(tag.Box());
  return PlaceCabinetCode(static_cast<std::uint32_t>(plan.indices[i]), r, s.lineWidth,
                          s.codeCellSize, keepClear);
}

Rect CodeBox(const std::optional<CabinetCode>& code) { return code ? code->Box() : Rect{}; }

// Where a plate of lines goes on a map (map/InfoPlacement.h): the largest
// gap that holds it, at `scale` or smaller; else a band of the largest shown
// cabinet that its own words leave clear; never over a plate in `taken`.
std::optional<InfoPlace> PlaceOnMap(const ScreenPlan& plan,
                                    const std::optional<std::vector<Rect>>& gaps,
                                    const MapSettings& s, const Rect& output,
                                    const std::vector<int>& counts, int scale,
                                    const std::vector<Rect>& taken) {
  std::vector<Rect> blocked = plan.rects;
  blocked.insert(blocked.end(), taken.begin(), taken.end());
  std::optional<InfoPlace> place;
  for (int g = scale; gaps && !place && g >= 1; --g)
    place = PlaceInGaps(*gaps, blocked, output, counts, g);
  if (place) return place;
  std::optional<std::size_t> largest;
  long long most = -1;
  for (std::size_t i = 0; i < plan.rects.size(); ++i) {
    if (!plan.rects[i].Overlaps(output)) continue;
    const Rect c = Clipped(plan.rects[i], output);
    const long long area = static_cast<long long>(c.Width()) * c.Height();
    if (area > most) most = area, largest = i;
  }
  if (!largest) return std::nullopt;
  const Rect& r = plan.rects[*largest];
  const layout::Cabinet& c = *plan.cabinets[*largest];
  std::vector<Rect> own = s.orientation ? MarkBoxes(r, s.lineWidth, c.rot) : std::vector<Rect>{};
  const Rect code = CodeBox(CodeOf(plan, *largest, s));
  if (!code.Empty()) own.push_back(code);
  for (const PlacedText& t :
       CabinetWords(c, r, s.lineWidth, s.labels, s.coordinates, s.orientation, code))
    own.push_back(t.Box());
  own.insert(own.end(), taken.begin(), taken.end());
  std::vector<Rect> others = taken;
  for (std::size_t i = 0; i < plan.rects.size(); ++i)
    if (i != *largest) others.push_back(plan.rects[i]);
  return PlaceInCabinet(Clipped(InnerRect(r, s.lineWidth), output), own, others, counts, scale);
}

// The lines on their plate, each centred across it.
void AddPlate(FigureList& list, const InfoPlace& place, const std::vector<GlyphLine>& lines,
              const Colour& text, const Colour& plate) {
  list.AddRect(place.plate, plate);
  int y = place.plate.y0 + 2 * place.scale;
  for (const GlyphLine& line : lines) {
    const int w = shapes::TextWidth(static_cast<int>(line.size()), place.scale);
    list.AddText(line, (place.plate.x0 + place.plate.x1 - w) / 2, y, place.scale, text);
    y += shapes::TextHeight(place.scale) + 2 * place.scale;
  }
}

// Lines cut to what a plate as wide as the output holds at scale 1 (ending
// in the ellipsis), and the scale they are written at: the smallest of their
// LineScale()s.
int FitLines(std::vector<GlyphLine>& lines, int width, int height, std::vector<int>& counts) {
  int scale = std::numeric_limits<int>::max();
  counts.clear();
  for (GlyphLine& line : lines) {
    line = CutToRoom(line, width - 4, 1);
    counts.push_back(static_cast<int>(line.size()));
    scale = std::min(scale, LineScale(counts.back(), width, height));
  }
  return scale;
}

// Says why a plate was left out, after what `note` says already.
void AddNote(std::string* note, const std::string& what) {
  if (note) *note += (note->empty() ? "" : "; ") + what;
}

// Answers the gaps it found (none where finding them would cost too much).
std::optional<std::vector<Rect>> AddMap(FigureList& list, const ScreenPlan& plan,
                                        const std::string& fileName, const MapSettings& s,
                                        int width, int height, std::vector<Rect>& placed,
                                        std::vector<CabinetCode>& codes, std::string* note) {
  const float b = s.brightness;
  const Rect output = {0, 0, width, height};
  const Colour black = map_palette::kPlate.colour;
  // The gaps alone are hatched where they can be found cheaply; otherwise
  // the whole output is, and the cabinets cover it.
  const auto gaps = FindGaps(plan.rects, output);
  const Colour gapLine = Dimmed(map_palette::kGapLine.colour, b);
  if (!gaps)
    s.hatch ? list.AddHatch(output, gapLine, black, map_palette::kHatchPeriod,
                            shapes::HatchDirection::Rising)
            : list.AddRect(output, black);
  else
    for (const Rect& gap : *gaps)
      s.hatch ? list.AddHatch(gap, gapLine, black, map_palette::kHatchPeriod,
                              shapes::HatchDirection::Rising)
              : list.AddRect(gap, black);

  // Cabinets wholly outside the output are counted but not drawn.
  std::vector<std::size_t> shown;
  for (std::size_t i = 0; i < plan.rects.size(); ++i)
    if (plan.rects[i].Overlaps(output)) shown.push_back(i);
  auto portColour = [&](std::size_t i) {
    return Dimmed(map_palette::PortColour(plan.cabinets[i]->port).colour, b);
  };
  // Each cabinet black inside its border, in one figure.
  for (std::size_t i : shown)
    list.AddBox(plan.rects[i], portColour(i), black, BorderWidth(plan.rects[i], s.lineWidth));
  if (s.hatch) {
    for (const Rect& r : plan.overlaps.rects)
      list.AddHatch(r, Dimmed(map_palette::kOverlapLine.colour, b), black,
                    map_palette::kHatchPeriod, shapes::HatchDirection::Falling);
    // The hatch covered the borders inside the overlaps: those go on top.
    for (std::size_t i : plan.overlaps.members)
      if (plan.rects[i].Overlaps(output))
        AddCabinetBorder(list, plan.rects[i], s.lineWidth, portColour(i));
  }
  if (s.orientation) {
    const Colour mark = Dimmed(map_palette::kMark.colour, b);
    for (std::size_t i : shown)
      AddOrientationTriangle(list, plan.rects[i], s.lineWidth, plan.cabinets[i]->rot, mark);
    for (std::size_t i : shown)
      AddOrientationLetter(list, plan.rects[i], s.lineWidth, plan.cabinets[i]->rot, mark);
  }
  if (s.arrows) {
    const float thickness = static_cast<float>(std::max(1, s.lineWidth));
    // Every shaft, then every head (one run of each kind).
    for (bool heads : {false, true}) {
      for (const ChainLink& link : plan.links) {
        const Rect& from = plan.rects[link.from];
        const Rect& to = plan.rects[link.to];
        const float x0 = static_cast<float>(from.x0 + from.x1) * 0.5f;
        const float y0 = static_cast<float>(from.y0 + from.y1) * 0.5f;
        const float x1 = static_cast<float>(to.x0 + to.x1) * 0.5f;
        const float y1 = static_cast<float>(to.y0 + to.y1) * 0.5f;
        const float length = std::hypot(x1 - x0, y1 - y0);
        if (!(length > 0)) continue;
        const Colour colour = Dimmed(map_palette::PortColour(link.port).colour, b);
        if (!heads) {
          list.AddSegment(x0, y0, x1, y1, thickness, colour);
          continue;
        }
        // The head sits half-way, between the two cabinets' texts.
        const float head = std::min(length / 2, std::max(8.0f, 4 * thickness));
        const float ux = (x1 - x0) / length, uy = (y1 - y0) / length;
        const float mx = (x0 + x1) * 0.5f, my = (y0 + y1) * 0.5f;
        list.AddArrowHead(mx - ux * head * 0.5f, my - uy * head * 0.5f, mx + ux * head * 0.5f,
                          my + uy * head * 0.5f, head, colour);
      }
    }
  }
  // Each frame code's static part over the arrows (the dynamic cells are
  // drawn over the kept picture each frame), and the labels clear of it.
  std::vector<Rect> codeBoxes(plan.rects.size());
  std::size_t uncoded = 0;
  for (std::size_t i : s.frameCodes ? shown : std::vector<std::size_t>{}) {
    const std::optional<CabinetCode> code = CodeOf(plan, i, s);
    if (!code) {
      ++uncoded;
      continue;
    }
    AddCabinetCodeStatic(list, *code, s.output, b);
    codes.push_back(*code);
    codeBoxes[i] = code->Box();
  }
  if (uncoded > 0)
    AddNote(note, "FRAME CODES: " + std::to_string(uncoded) +
                      " CABINETS CARRY NONE (NO ROOM, OR PAST LAYOUT INDEX " +
                      std::to_string(kRegionMaxIndex) + ")");
  const Colour text = Dimmed(map_palette::kText.colour, b);
  for (std::size_t i : shown) {
    AddPlacedTexts(list,
                   CabinetWords(*plan.cabinets[i], plan.rects[i], s.lineWidth, s.labels,
                                s.coordinates, s.orientation, codeBoxes[i]),
                   text);
  }
  if (s.info) {
    const MapFacts facts = CountFacts(plan, width, height);
    std::vector<GlyphLine> lines = {Glyphs(InfoText(fileName, plan, facts))};
    const std::string sizes = SizeText(plan, width, height);
    if (!sizes.empty()) lines.push_back(Glyphs(sizes, SmallX::Times));
    std::vector<int> counts;
    for (const GlyphLine& line : lines) counts.push_back(static_cast<int>(line.size()));
    int scale = std::numeric_limits<int>::max();
    for (int count : counts) scale = std::min(scale, LineScale(count, width, height));
    const auto place = PlaceOnMap(plan, gaps, s, output, counts, scale, placed);
    if (place) {
      AddPlate(list, *place, lines, text, black);
      placed.push_back(place->plate);
    } else {
      AddNote(note, "INFO LINE LEFT OUT: NO GAP OR CABINET HAS ROOM FOR IT");
    }
  }
  return gaps;
}

// The banner of a failed re-read over a map: where nothing of the map's
// words goes under it, like the info line; left out (and said in the log,
// with the error) where there is no such place.
void AddBannerOnMap(FigureList& list, const MapSourceFacts& source, const ScreenPlan& plan,
                    const std::optional<std::vector<Rect>>& gaps, const MapSettings& s,
                    int width, int height, std::vector<Rect>& placed, std::string* note) {
  const Rect output = {0, 0, width, height};
  const std::string title = "CANNOT LOAD " + source.fileName;
  std::vector<GlyphLine> lines = {Glyphs(title), Glyphs(source.error)};
  std::vector<int> counts;
  const int scale = FitLines(lines, width, height, counts);
  const auto place = PlaceOnMap(plan, gaps, s, output, counts, scale, placed);
  if (!place) {
    AddNote(note, "ERROR BANNER LEFT OUT: NO GAP OR CABINET HAS ROOM FOR IT (" + title + ": " +
                      source.error + ")");
    return;
  }
  AddPlate(list, *place, lines, Dimmed(map_palette::kText.colour, s.brightness),
           Dimmed(map_palette::kBanner.colour, s.brightness));
  placed.push_back(place->plate);
}

}  // namespace

// Two rows of text at the lines' scale with a margin of two glyph pixels
// around each: 20 of the scale's pixels.
int BannerHeight(int height) { return std::max(1, height / kTextRowsPerOutput) * 20; }

MapFacts CountFacts(const ScreenPlan& plan, int width, int height) {
  MapFacts facts;
  facts.cabinets = plan.cabinets.size();
  facts.overlapPairs = plan.overlaps.pairs;
  const Rect output = {0, 0, width, height};
  for (const Rect& r : plan.rects)
    if (r.x0 < 0 || r.y0 < 0 || r.x1 > output.x1 || r.y1 > output.y1) ++facts.outside;
  facts.canvasDiffers = plan.canvasW != width || plan.canvasH != height;
  return facts;
}

std::string InfoText(const std::string& fileName, const ScreenPlan& plan, const MapFacts& f) {
  std::string text = fileName + kDot + std::to_string(f.cabinets) +
                     (f.cabinets == 1 ? " CABINET" : " CABINETS") + kDot + "SCREEN " +
                     std::to_string(plan.screen);
  if (!plan.screenName.empty()) text += " " + plan.screenName;
  if (f.overlapPairs > 0)
    text += kDot + std::to_string(f.overlapPairs) + (f.overlapPairs == 1 ? " OVERLAP" : " OVERLAPS");
  if (f.outside > 0) text += kDot + std::to_string(f.outside) + " OUTSIDE";
  return text;
}

std::string SizeText(const ScreenPlan& plan, int width, int height) {
  if (plan.canvasW == width && plan.canvasH == height) return std::string();
  return "CANVAS " + std::to_string(plan.canvasW) + "x" + std::to_string(plan.canvasH) +
         ", OUTPUT " + std::to_string(width) + "x" + std::to_string(height);
}

std::string NoSuchScreenText(const ScreenPlan& plan) {
  return "SCREEN " + std::to_string(plan.screen) + " OF " + std::to_string(plan.screenCount) +
         ": NO SUCH SCREEN";
}

std::string ScreenNamesText(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i].empty()) continue;
    text += (text.empty() ? "SCREENS: " : kDot) + std::to_string(i + 1) + " " + names[i];
  }
  return text;
}

void ComposeLoadingLine(const std::string& fileName, const ScreenPlan* plan,
                        const MapSettings& settings, const std::vector<Rect>& taken, int width,
                        int height, FigureList& list, std::string* note) {
  if (width <= 0 || height <= 0) return;
  const Colour text = map_palette::kText.colour, black = map_palette::kPlate.colour;
  std::vector<GlyphLine> lines = {Glyphs("LOADING " + fileName)};
  if (!plan) {
    // No map under it: a band across the top.
    const int bannerH = BannerHeight(height) / 2;
    list.AddRect({0, 0, width, bannerH}, black);
    const int scale = std::max(1, bannerH / 10);
    const int room = std::max(0, width - 4 * scale);
    list.AddText(CutToRoom(lines.front(), room, scale), scale * 2, scale * 2, scale, text, room);
    return;
  }
  const Rect output = {0, 0, width, height};
  std::vector<int> counts;
  const int scale = FitLines(lines, width, height, counts);
  const auto place =
      PlaceOnMap(*plan, FindGaps(plan->rects, output), settings, output, counts, scale, taken);
  if (place)
    AddPlate(list, *place, lines, text, black);
  else
    AddNote(note, "LOADING LINE LEFT OUT: NO GAP OR CABINET HAS ROOM FOR IT");
}

void ComposeMapFrame(const MapSourceFacts& source, const ScreenPlan* plan, const MapSettings& s,
                     int width, int height, FigureList& list, std::string* note,
                     std::vector<Rect>* placed, std::vector<CabinetCode>* codes) {
  std::vector<Rect> plates;
  std::vector<CabinetCode> coded;
  if (placed) placed->clear();
  if (codes) codes->clear();
  if (width <= 0 || height <= 0) return;
  const float b = s.brightness;
  const Colour text = Dimmed(map_palette::kText.colour, b);
  const Colour black = map_palette::kPlate.colour;
  if (source.state == MapSource::State::NoFile) {
    list.AddRect({0, 0, width, height}, black);
    AddCentredLines(list,
                    {Glyphs("NO LAYOUT FILE LOADED"),
                     Glyphs("SET MAP FILE TO A CSV, JSON OR XML LAYOUT")},
                    width, height, {2, 1}, text, nullptr);
    return;
  }
  const bool noSuchScreen = plan && (plan->screen < 1 || plan->screen > plan->screenCount);
  if (noSuchScreen) {
    // Said in words: an empty map's "0 CABINETS · CANVAS 0x0" tells a
    // technician nothing.
    list.AddRect({0, 0, width, height}, black);
    std::vector<GlyphLine> lines = {Glyphs(source.goodFileName), Glyphs(NoSuchScreenText(*plan))};
    const layout::Layout* good = source.GoodLayout();
    const std::string names = good ? ScreenNamesText(good->screenNames) : std::string();
    if (!names.empty()) lines.push_back(Glyphs(names));
    AddCentredLines(list, lines, width, height, std::vector<int>(lines.size(), 2), text, nullptr);
  } else if (plan) {
    const auto gaps =
        AddMap(list, *plan, source.goodFileName, s, width, height, plates, coded, note);
    if (codes) *codes = std::move(coded);
    if (source.state == MapSource::State::Failed)
      AddBannerOnMap(list, source, *plan, gaps, s, width, height, plates, note);
    if (placed) *placed = plates;
    return;
  } else {
    list.AddRect({0, 0, width, height}, black);
    AddCentredLines(list, {Glyphs(source.fileName), Glyphs(source.error)}, width, height,
                    {2, 2}, text, nullptr);
  }
  if (source.state == MapSource::State::Failed) AddBanner(list, source, width, height, b);
}
