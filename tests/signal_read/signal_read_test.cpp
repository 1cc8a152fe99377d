// The reader's picture, its loop-back reference and its colour tags on
// readings made in the test (the fault corpus reads real FFmpeg chains).
#include <gtest/gtest.h>
#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

#include "tests/ScratchFolder.h"
#include "chaincheck/Layout.h"
#include "signal/Signal.h"
#include "tools/signal-read/ColourTagVerdict.h"
#include "tools/signal-read/GreyVerdict.h"
#include "tools/signal-read/Plot.h"
#include "tools/signal-read/ReferenceCapture.h"

namespace {

namespace sig = veltrima::signal;

using CodeMap = std::function<double(double)>;

// The grey ladder and the ramp of a signal, each code received as `map`
// puts it.
ChainReading Ladder(sig::Signal signal, const CodeMap& map) {
  ChainReading r;
  for (int code = 0; code <= sig::kMaxCode; ++code) r.ramp.push_back(map(code));
  r.strip.content.signal = signal;
  r.strip.content.peakNits = 1000;
  for (const int code : chaincheck::GreyStepCodes(signal.range)) {
    const double v = map(code);
    r.steps.push_back({code, {v, v, v}, {}});
  }
  return r;
}

const sig::Signal kPqNarrow{sig::Transfer::Pq, sig::Range::Narrow};
double Same(double c) { return c; }
double Squeezed(double c) { return std::round(64 + c * 876 / 1023); }
double ClippedAt940(double c) { return std::min(c, 940.0); }
double ClippedAt64(double c) { return std::max(c, 64.0); }

std::string Names(const GreyVerdict& v) {
  std::string names;
  for (const Fault& f : v.faults)
    names += (names.empty() ? "" : ",") + f.name +
             (f.numbers.contains("tag") ? ":" + f.numbers["tag"].get<std::string>() : std::string());
  return names.empty() ? "-" : names;
}

// The PNG's size and its "Title" text, read by libpng.
struct PngFacts {
  png_uint_32 width = 0, height = 0;
  std::string title;
};

bool ReadPngFacts(const std::string& path, PngFacts& facts) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return false;
  }
  png_init_io(png, file);
  png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);  // every chunk, every CRC checked
  facts.width = png_get_image_width(png, info);
  facts.height = png_get_image_height(png, info);
  png_textp texts = nullptr;
  const int count = png_get_text(png, info, &texts, nullptr);
  for (int i = 0; i < count; ++i)
    if (std::string(texts[i].key) == "Title") facts.title = texts[i].text;
  png_destroy_read_struct(&png, &info, nullptr);
  std::fclose(file);
  return true;
}

TEST(SignalReadPlot, IsAPngOfItsSizeTitledWithTheVerdict) {
  ScratchFolder scratch("signal-read-plot");
  const struct {
    const char* label;
    std::vector<const char*> faults;
    const char* titleStart;
  } cases[] = {
      {"clean", {}, "CLEAN: PQ Narrow, peak 1000 nits"},
      {"one fault", {"range-squeezed"}, "FAULTS: range-squeezed (sent PQ Narrow"},
      {"two faults", {"clipped", "eight-bit"}, "FAULTS: clipped, eight-bit (sent"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SignalReport report;
    report.reading = Ladder(kPqNarrow, Same);
    for (const char* name : c.faults) {
      Fault f;
      f.name = name;
      f.numbers = {{"above_nits", 600}};
      report.verdict.faults.push_back(f);
    }
    const std::string path = (scratch.Path() / (std::string(c.label) + ".png")).string();
    std::string why;
    ASSERT_TRUE(WritePlot(report, path, why)) << why;
    PngFacts facts;
    ASSERT_TRUE(ReadPngFacts(path, facts)) << path << " is no valid PNG";
    EXPECT_EQ(facts.width, static_cast<png_uint_32>(kPlotWidth));
    EXPECT_EQ(facts.height, static_cast<png_uint_32>(kPlotHeight));
    EXPECT_EQ(facts.title.rfind(c.titleStart, 0), 0u) << "title: " << facts.title;
  }
}

TEST(SignalReadPlot, RefusesAFolderItCannotWriteInOneLine) {
  SignalReport report;
  report.reading = Ladder(kPqNarrow, Same);
  std::string why;
  EXPECT_FALSE(WritePlot(report, "/nonexistent-folder/plot.png", why));
  EXPECT_NE(why.find("/nonexistent-folder/plot.png"), std::string::npos) << why;
}

// Levels in nits land on the sent code that carries them: BT.2100's own
// values (PQ 1,000 nits is 723 narrow, 769 full; HLG's peak is white).
TEST(SignalReadPlot, MarksEveryNitsNumberAtItsSentCode) {
  const struct {
    sig::Signal signal;
    nlohmann::json numbers;
    std::vector<int> codes;
  } cases[] = {
      {kPqNarrow, {{"above_nits", 1000}}, {723}},
      {{sig::Transfer::Pq, sig::Range::Full}, {{"knee_nits", 1000}}, {769}},
      {{sig::Transfer::Hlg, sig::Range::Narrow}, {{"knee_nits", 1000}, {"above_nits", 1000}}, {940, 940}},
      {kPqNarrow, {{"frames", 3}, {"nits", 100}, {"knee_nits", "high"}}, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.numbers.dump());
    SignalReport report;
    report.reading = Ladder(c.signal, Same);
    Fault f;
    f.name = "tone-mapped";
    f.numbers = c.numbers;
    report.verdict.faults.push_back(f);
    const std::vector<PlotMark> marks = PlotMarks(report);
    ASSERT_EQ(marks.size(), c.codes.size());
    for (std::size_t i = 0; i < marks.size(); ++i) EXPECT_EQ(marks[i].code, c.codes[i]);
  }
}

// The chain's capture passes through the capture path too: what the
// loop-back shows is the capture path's, and what the chain adds is found
// beneath it.
TEST(SignalReadReference, NamesOnlyWhatTheChainAdds) {
  const struct {
    const char* label;
    CodeMap capture, chain;
    const char* chainFaults;
  } cases[] = {
      {"capture squeezes, chain clips headroom", Squeezed, [](double c) { return Squeezed(ClippedAt940(c)); },
       "headroom-clipped"},
      {"capture squeezes, chain passes", Squeezed, Squeezed, "-"},
      {"capture clean, chain squeezes", Same, Squeezed, "range-squeezed"},
      {"both clip footroom", ClippedAt64, ClippedAt64, "-"},
      {"capture clips footroom, chain clips headroom too", ClippedAt64,
       [](double c) { return ClippedAt64(ClippedAt940(c)); }, "headroom-clipped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    const ChainReading loopBack = Ladder(kPqNarrow, c.capture);
    const GreyVerdict capturePath = JudgeGreys(loopBack);
    GreyVerdict chain = JudgeGreys(UndoCapturePath(Ladder(kPqNarrow, c.chain), loopBack, capturePath));
    SetApartCapturePath(capturePath, chain);
    EXPECT_FALSE(chain.unexplained) << chain.unexplainedText;
    EXPECT_EQ(Names(chain), c.chainFaults);
  }
}

// Transfer tags against what the ladder carries.
TEST(SignalReadColourTags, TransferTagJudgedWhereTheLevelsAreExplained) {
  const struct {
    const char* declared;
    const char* convertedTo;  // a transfer-converted fault's "to", or null
    bool unexplained;
    const char* faults;
  } cases[] = {
      {"bt709", nullptr, false, "tags-disagree:transfer"},
      {"smpte2084", nullptr, false, "-"},
      {"linear", nullptr, false, "tags-disagree:transfer"},
      {"smpte2084", "HLG", false, "transfer-converted,tags-disagree:transfer"},
      {"arib-std-b67", "HLG", false, "transfer-converted"},
      {"bt709", nullptr, true, "-"},
      {"", nullptr, false, "-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.declared) + (c.convertedTo ? std::string(" to ") + c.convertedTo : ""));
    const ChainReading reading = Ladder(kPqNarrow, Same);
    GreyVerdict verdict = JudgeGreys(reading);
    verdict.unexplained = c.unexplained;
    if (c.convertedTo) {
      Fault f;
      f.name = "transfer-converted";
      f.numbers = {{"from", "PQ"}, {"to", c.convertedTo}};
      verdict.faults.push_back(f);
    }
    DeclaredTags declared;
    declared.transfer = c.declared;
    CheckDeclaredColour(reading, declared, verdict);
    EXPECT_EQ(Names(verdict), c.faults);
  }
}

}  // namespace
