#include "tools/signal-read/Plot.h"

#include <plplot.h>
#include <unistd.h>
#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include "signal/Signal.h"

namespace {

namespace sig = veltrima::signal;

constexpr char kDevice[] = "pngcairo";

// PLplot's colour map 0, by what each entry draws.
enum Colour : PLINT { kPaper, kInk, kIdeal, kRed, kGreen, kBlue, kMark, kRamp, kSwatch, kColours };

void SetColours() {
  plscmap0n(kColours);
  const int rgb[kColours][3] = {{255, 255, 255}, {0, 0, 0},   {150, 150, 150}, {215, 25, 28}, {0, 150, 40},
                                {30, 80, 220},   {230, 120, 0}, {60, 60, 60},  {0, 0, 0}};
  for (PLINT i = 0; i < kColours; ++i) plscol0(i, rgb[i][0], rgb[i][1], rgb[i][2]);
}

// PLplot asks on standard input for a device it does not know: look first.
bool DeviceInstalled() {
  int count = 64;
  const char* menuStore[64];
  const char* nameStore[64];
  const char** menus = menuStore;
  const char** names = nameStore;
  plgDevs(&menus, &names, &count);
  for (PLINT i = 0; i < count; ++i)
    if (std::strcmp(names[i], kDevice) == 0) return true;
  return false;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

// PLplot takes '#' as its escape character.
std::string Plain(std::string text) {
  std::replace(text.begin(), text.end(), '#', ' ');
  return text;
}

double Clamped(double code) { return std::clamp(code, 0.0, double{sig::kMaxCode}); }

// ----------------------------------------------------------------- levels

void DrawLevels(const SignalReport& r, const std::vector<PlotMark>& marks) {
  plvpor(0.07, 0.60, 0.09, 0.86);
  plwind(0, sig::kMaxCode, 0, sig::kMaxCode);
  plcol0(kIdeal);
  plwidth(1);
  plbox("g", 128, 0, "g", 128, 0);
  plcol0(kInk);
  plbox("bcnst", 128, 4, "bcnstv", 128, 4);
  plmtex("b", 3.0, 0.5, 0.5, "code sent (10-bit)");
  plmtex("l", 4.0, 0.5, 0.5, "code received (10-bit)");

  const PLFLT ends[2] = {0, sig::kMaxCode};
  plcol0(kIdeal);
  pllsty(2);
  plline(2, ends, ends);
  pllsty(1);

  // The ramp, one code per column, where the capture kept its size.
  if (!r.reading.ramp.empty()) {
    std::vector<PLFLT> x, y;
    for (std::size_t c = 0; c < r.reading.ramp.size(); ++c) {
      x.push_back(static_cast<PLFLT>(c));
      y.push_back(Clamped(r.reading.ramp[c]));
    }
    plcol0(kRamp);
    plline(static_cast<PLINT>(x.size()), x.data(), y.data());
  }

  // The grey steps, one symbol per channel so that all three show where
  // they coincide: R' circles, G' crosses, B' squares.
  const PLINT symbols[3] = {4, 5, 6};
  const Colour colours[3] = {kRed, kGreen, kBlue};
  for (std::size_t c = 0; c < 3; ++c) {
    std::vector<PLFLT> x, y;
    for (const StepMeasure& m : r.reading.steps) {
      x.push_back(m.sent);
      y.push_back(Clamped(m.received[c]));
    }
    plcol0(colours[c]);
    plpoin(static_cast<PLINT>(x.size()), x.data(), y.data(), symbols[c]);
  }

  // Levels the faults give in nits, on the sent axis.
  plcol0(kMark);
  plwidth(2);
  for (std::size_t i = 0; i < marks.size(); ++i) {
    const PLFLT x[2] = {marks[i].code, marks[i].code}, y[2] = {0, sig::kMaxCode};
    pllsty(3);
    plline(2, x, y);
    pllsty(1);
    plptex(marks[i].code - 8, 1000 - 60.0 * static_cast<double>(i), 0, 1, 0, Plain(marks[i].label).c_str());
  }
  plwidth(1);

  // The key.
  const char* names[3] = {"R'", "G'", "B'"};
  for (std::size_t c = 0; c < 3; ++c) {
    const PLFLT x = 40, y = 960 - 45.0 * static_cast<double>(c);
    plcol0(colours[c]);
    plpoin(1, &x, &y, symbols[c]);
    plcol0(kInk);
    plptex(x + 30, y, 1, 0, 0, names[c]);
  }
  plcol0(kRamp);
  const PLFLT rampX[2] = {20, 60}, rampY[2] = {825, 825};
  plline(2, rampX, rampY);
  plcol0(kInk);
  plptex(70, 825, 1, 0, 0, r.reading.ramp.empty() ? "ramp (not at the sent size)" : "ramp (G')");
  plcol0(kIdeal);
  plptex(70, 780, 1, 0, 0, "- - ideal");
}

// ---------------------------------------------------------------- patches

void FillBox(double x0, double y0, double x1, double y1) {
  const PLFLT x[4] = {x0, x1, x1, x0}, y[4] = {y0, y0, y1, y1};
  plfill(4, x, y);
}

// Codes shown as they are (code / 1023 as the display's value, no
// colour management): the comparison is between sent and received.
void SetSwatch(const std::array<double, 3>& codes) {
  int rgb[3];
  for (std::size_t c = 0; c < 3; ++c) rgb[c] = static_cast<int>(std::lround(Clamped(codes[c]) * 255 / sig::kMaxCode));
  plscol0(kSwatch, rgb[0], rgb[1], rgb[2]);
  plcol0(kSwatch);
}

void DrawPatches(const SignalReport& r) {
  const std::vector<PatchMeasure>& patches = r.reading.patches;
  const std::vector<chaincheck::SaturatedPatch> named =
      chaincheck::SaturatedPatches(r.reading.strip.content.signal, r.reading.strip.content.peakNits);
  const double rows = static_cast<double>(std::max<std::size_t>(patches.size(), 1));
  // Columns: the patch's name in [-1, 0), sent in [0, 1), received in [1, 2).
  plvpor(0.66, 0.97, 0.09, 0.86);
  plwind(-1, 2, rows, 0);
  plcol0(kInk);
  plmtex("t", 1.0, 0.5, 0.5, "sent");
  plmtex("t", 1.0, 0.83, 0.5, "received");
  if (patches.empty()) {
    plptex(0.5, rows / 2, 1, 0, 0.5, "saturated patches: R'G'B' captures only");
    return;
  }
  for (std::size_t i = 0; i < patches.size(); ++i) {
    const double y0 = static_cast<double>(i) + 0.08, y1 = static_cast<double>(i) + 0.92;
    const std::array<double, 3> sent{double(patches[i].sent[0]), double(patches[i].sent[1]),
                                     double(patches[i].sent[2])};
    SetSwatch(sent);
    FillBox(0.02, y0, 0.98, y1);
    SetSwatch(patches[i].received);
    FillBox(1.02, y0, 1.98, y1);
    plcol0(kInk);
    if (i < named.size()) plptex(-0.05, static_cast<double>(i) + 0.5, 1, 0, 1, named[i].name.c_str());
  }
}

// ------------------------------------------------------------------ title

// A PNG tEXt chunk "Title" after IHDR (8 bytes of signature, then IHDR's
// 25), so that the verdict travels with the picture.
bool AddTitleChunk(std::string& png, const std::string& title) {
  constexpr std::size_t kAfterHeader = 8 + 25;
  if (png.size() < kAfterHeader || png.compare(12, 4, "IHDR") != 0) return false;
  std::string body = "tEXt";
  body += "Title";
  body += '\0';
  body += title;
  const auto length = static_cast<std::uint32_t>(body.size() - 4);
  const auto crc = static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size())));
  const auto bigEndian = [](std::uint32_t word) {
    std::string bytes;
    for (int shift = 24; shift >= 0; shift -= 8) bytes += static_cast<char>((word >> shift) & 0xff);
    return bytes;
  };
  const std::string chunk = bigEndian(length) + body + bigEndian(crc);
  png.insert(kAfterHeader, chunk);
  return true;
}

}  // namespace

std::vector<PlotMark> PlotMarks(const SignalReport& r) {
  const sig::Signal sent = r.reading.strip.content.signal;
  const double peak = r.reading.strip.content.peakNits;
  const std::string suffix = "_nits";
  std::vector<PlotMark> marks;
  for (const Fault& f : r.verdict.faults)
    for (const auto& [key, value] : f.numbers.items()) {
      if (key.size() <= suffix.size() || key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0 ||
          !value.is_number() || !std::isfinite(value.get<double>()))
        continue;
      PlotMark m;
      m.nits = value.get<double>();
      m.code = sig::CodeFromSignal(sent.range, sig::SignalFromNits(sent.transfer, m.nits, peak));
      m.label = f.name + ": " + key.substr(0, key.size() - suffix.size()) + " " +
                std::to_string(std::lround(m.nits)) + " nits";
      marks.push_back(m);
    }
  return marks;
}

bool WritePlot(const SignalReport& r, const std::string& path, std::string& why) {
  if (!DeviceInstalled()) {
    why = std::string("PLplot's ") + kDevice + " device is not installed (plplot-driver-cairo)";
    return false;
  }
  // PLplot asks again on standard input for a file it cannot create: make
  // sure it can before it tries.
  const std::string drawn = path + ".part-" + std::to_string(::getpid());
  if (std::FILE* probe = std::fopen(drawn.c_str(), "wb")) {
    std::fclose(probe);
  } else {
    why = path + ": cannot write: " + std::strerror(errno);
    return false;
  }
  const std::string title = FirstLine(ReportText(r));
  const std::vector<PlotMark> marks = PlotMarks(r);
  plsdev(kDevice);
  plsfnam(drawn.c_str());
  plspage(0, 0, kPlotWidth, kPlotHeight, 0, 0);
  SetColours();
  plinit();
  pladv(0);
  plschr(0, 0.9);
  plssym(0, 0.6);
  DrawLevels(r, marks);
  DrawPatches(r);
  plvpor(0, 1, 0, 1);
  plwind(0, 1, 0, 1);
  plcol0(kInk);
  plschr(0, 1.3);
  plptex(0.5, 0.94, 1, 0, 0.5, Plain(title).c_str());
  plschr(0, 0.8);
  plptex(0.98, 0.015, 1, 0, 1, Plain(r.file).c_str());
  plend();

  std::ifstream in(drawn, std::ios::binary);
  std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  std::remove(drawn.c_str());
  if (!AddTitleChunk(png, title)) {
    why = path + ": PLplot wrote no PNG";
    return false;
  }
  std::ofstream out(path, std::ios::binary);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  out.close();
  if (!out) {
    why = path + ": cannot write";
    return false;
  }
  return true;
}
