// veltrima-render run as a user runs it: the files it writes, the frames of
// a sequence, the raw stream, and a clear error with no file left behind
// for every kind of bad input.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "free/Presets.h"
#include "imaging/PngFile.h"
#include "tests/ScratchFolder.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exitCode = -1;
  std::string output;  // standard output and standard error together
};

// Runs a shell command: its exit code (-1 when it did not exit) and the
// bytes of its standard output.
RunResult RunShell(const std::string& command) {
  RunResult result;
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::array<char, 65536> buffer{};
  std::size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0)
    result.output.append(buffer.data(), n);
  const int status = pclose(pipe.release());
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

class RenderTool : public ::testing::Test {
 protected:
  // Runs the tool in the test's folder; `environment` is prefixed as shell
  // assignments.
  RunResult Run(const std::string& arguments, const std::string& environment = "") const {
    return RunShell("cd '" + folder_.string() + "' && " + environment + " '" +
                    VELTRIMA_RENDER_PATH + "' " + arguments + " 2>&1");
  }

  // Bytes of standard output alone.
  std::string RunCapturingStdout(const std::string& arguments) const {
    return RunShell("cd '" + folder_.string() + "' && '" + VELTRIMA_RENDER_PATH + "' " +
                    arguments)
        .output;
  }

  // Standard output and standard error apart, and the exit code.
  struct SplitResult {
    int exitCode = -1;
    std::string out, err;
  };
  SplitResult RunSplit(const std::string& arguments, const std::string& environment = "") const {
    const std::string errPath = folder_.string() + ".err";
    const RunResult run = RunShell("cd '" + folder_.string() + "' && " + environment + " '" +
                                   VELTRIMA_RENDER_PATH + "' " + arguments + " 2>'" + errPath +
                                   "'");
    SplitResult result;
    result.exitCode = run.exitCode;
    result.out = run.output;
    result.err = ReadText(errPath);
    fs::remove(errPath);
    return result;
  }

  static std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  }

  std::size_t FilesLeft() const {
    std::size_t count = 0;
    for (const auto& entry : fs::recursive_directory_iterator(folder_))
      count += entry.is_regular_file() ? 1 : 0;
    return count;
  }

  ScratchFolder scratch_{"veltrima-render-test"};
  const fs::path folder_ = scratch_.Path();
};

// 16-bit channels of the 8-bit file, back to bytes.
std::array<int, 4> Pixel(const Image& image, int x, int y) {
  const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 4;
  std::array<int, 4> p{};
  for (int c = 0; c < 4; ++c) p[c] = image.rgba[at + c] / 257;
  return p;
}

using Bytes = std::array<int, 4>;

TEST_F(RenderTool, SinglePngHasTheSizeAndTheFirstFramePixels) {
  const RunResult run = Run("--size 40x30 --set 'Pattern=Pixel Checker' --set 'line width px=3'"
                            " --set 'Moving Element=off' --set 'Show Resolution=off' -o c.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const Image image = ReadPng((folder_ / "c.png").string());
  ASSERT_EQ(image.width, 40);
  ASSERT_EQ(image.height, 30);
  EXPECT_EQ(Pixel(image, 0, 0), (Bytes{0, 0, 0, 255}));
  EXPECT_EQ(Pixel(image, 2, 2), (Bytes{0, 0, 0, 255}));
  EXPECT_EQ(Pixel(image, 3, 0), (Bytes{255, 255, 255, 255}));
  EXPECT_EQ(Pixel(image, 3, 3), (Bytes{0, 0, 0, 255}));
  EXPECT_EQ(Pixel(image, 39, 29), (Bytes{0, 0, 0, 255}));        // cell (13, 9)
  EXPECT_EQ(Pixel(image, 38, 27), (Bytes{255, 255, 255, 255}));  // cell (12, 9)
}

TEST_F(RenderTool, PresetByNameAndOptionByNumber) {
  const RunResult run = Run("--size 16x8 --preset 'rgbw solid cycle' --set 'Solid Colour=3'"
                            " --set 'Show Resolution=0' -o s.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const Image image = ReadPng((folder_ / "s.png").string());
  for (auto [x, y] : {std::pair{0, 0}, std::pair{15, 7}, std::pair{8, 4}})
    EXPECT_EQ(Pixel(image, x, y), (Bytes{0, 0, 255, 255}));
}

TEST_F(RenderTool, TransparentPngHasStraightAlpha) {
  // The line sweep paints nothing but its lines; the ball's soft rim lies
  // over nothing, so its straight colour stays bright where alpha is low.
  const RunResult run = Run("--size 96x64 --set Pattern=5 --set Background=Transparent"
                            " --set 'Show Resolution=off' -o t.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  const Image image = ReadPng((folder_ / "t.png").string());
  EXPECT_EQ(Pixel(image, 40, 40)[3], 0) << "nothing painted there";
  EXPECT_EQ(Pixel(image, 40, 40), (Bytes{0, 0, 0, 0}));
  int softEdges = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const Bytes p = Pixel(image, x, y);
      if (p[3] == 0 || p[3] == 255) continue;
      ++softEdges;
      EXPECT_GE(std::max({p[0], p[1], p[2]}), 250)
          << "premultiplied colour left in (" << x << "," << y << ")";
    }
  EXPECT_GT(softEdges, 0);
}

TEST_F(RenderTool, RawStreamHasExactlyTheFrameBytes) {
  const std::string bytes =
      RunCapturingStdout("--size 20x10 --set Pattern=4 --set 'Solid Colour=Green' --set 'Moving Element=off'"
      " --set 'Show Resolution=off' --frames 4 -q -o -");
  ASSERT_EQ(bytes.size(), 4u * 20u * 10u * 4u);
  EXPECT_EQ(static_cast<unsigned char>(bytes[1]), 255);
  EXPECT_EQ(static_cast<unsigned char>(bytes[3]), 255);
  EXPECT_EQ(FilesLeft(), 0u);
}

TEST_F(RenderTool, ListNamesEveryParameterAndPresetOnStandardOutput) {
  const SplitResult run = RunSplit("--list");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  for (const char* text : {"\"Panel Width px\" (integer, default 128, 16 to 512)",
                           "\"Background\"", "\"Transparent\"", "9  1px Pixel Checker"})
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
}

// The sanitizer runtime insists on being first in the process; the stand-in
// is not instrumented and must not stop the run there.
std::string PreloadChatter() {
  return std::string("LD_PRELOAD='") + STDOUT_CHATTER_PATH +
         "' ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0\"";
}

TEST_F(RenderTool, WhatThePlugInPrintsGoesToStandardErrorNotIntoTheFrames) {
  const std::string arguments =
      "--size 24x10 --preset 'Dead Pixel Sweep' --set Background=Transparent --frames 3 -q -o -";
  const SplitResult clean = RunSplit(arguments);
  const SplitResult chatty = RunSplit(arguments, PreloadChatter());
  ASSERT_EQ(clean.exitCode, 0) << clean.err;
  ASSERT_EQ(chatty.exitCode, 0) << chatty.err;
  ASSERT_EQ(clean.out.size(), 3u * 24u * 10u * 4u);
  EXPECT_TRUE(chatty.out == clean.out) << "the raw stream changed";
  // Proof that the stand-in really printed: both lines, the unflushed one too.
  EXPECT_NE(chatty.err.find("stdout chatter: flushed"), std::string::npos) << chatty.err;
  EXPECT_NE(chatty.err.find("stdout chatter: left in the buffer"), std::string::npos)
      << chatty.err;
  const SplitResult list = RunSplit("--list", PreloadChatter());
  EXPECT_EQ(list.out.find("chatter"), std::string::npos) << list.out;
}

TEST_F(RenderTool, ClosedStandardOutputMattersOnlyForRawFrames) {
  // Closed, descriptor 1 must not go to the PNG file opened later either.
  const SplitResult png = RunSplit("--size 16x8 -o c.png >&-", PreloadChatter());
  ASSERT_EQ(png.exitCode, 0) << png.err;
  const Image image = ReadPng((folder_ / "c.png").string());
  EXPECT_EQ(image.width, 16);
  const SplitResult raw = RunSplit("--size 16x8 -q -o - >&-");
  EXPECT_NE(raw.exitCode, 0);
  EXPECT_NE(raw.err.find("error: cannot write to standard output: Bad file descriptor"),
            std::string::npos)
      << raw.err;
  EXPECT_EQ(std::count(raw.err.begin(), raw.err.end(), '\n'), 1) << raw.err;
}

TEST_F(RenderTool, AReaderThatGoesAwayIsAOneLineErrorAndAFailure) {
  // Frames larger than a pipe's buffer, to a reader that reads nothing.
  const std::string rcPath = folder_.string() + ".rc";
  const std::string errPath = folder_.string() + ".err";
  const std::string command = "cd '" + folder_.string() + "' && ('" + VELTRIMA_RENDER_PATH +
                              "' --size 256x256 --preset 'Colour Bars' --frames 4 -q -o - 2>'" +
                              errPath + "'; echo $? >'" + rcPath + "') | true";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string rc = ReadText(rcPath), err = ReadText(errPath);
  fs::remove(rcPath);
  fs::remove(errPath);
  EXPECT_EQ(rc, "1\n") << err;
  EXPECT_NE(err.find("veltrima-render: error: cannot write to standard output: Broken pipe"),
            std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(RenderTool, ContactSheetAndPresetFiles) {
  fs::create_directories(folder_ / "out");
  const RunResult run = Run("--size 64x36 -q --sheet out/sheet.png --save-presets out");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_TRUE(fs::exists(folder_ / "out" / "00-128x128-grid.png"));
  EXPECT_TRUE(fs::exists(folder_ / "out" / "09-1px-pixel-checker.png"));
  const Image sheet = ReadPng((folder_ / "out" / "sheet.png").string());
  EXPECT_GT(sheet.width, 5 * 64);
  EXPECT_EQ(FilesLeft(), kPresetCount + 1);  // every preset and the sheet
}

TEST_F(RenderTool, OutOfRangeValuesArePassedOnWithAWarning) {
  const RunResult run = Run("--size 8x8 --set 'Panel Width px=600' -o w.png");
  EXPECT_EQ(run.exitCode, 0) << run.output;
  EXPECT_NE(run.output.find("warning: Panel Width px=600 is outside 16 to 512"), std::string::npos)
      << run.output;
}

TEST_F(RenderTool, BadInputFailsClearlyAndLeavesNoFile) {
  const struct {
    const char* arguments;
    const char* environment;
    const char* message;
  } cases[] = {
      {"--set 'Panel Wdth px=3' -o x.png", "", "unknown parameter \"Panel Wdth px\"; valid: \"Preset\""},
      {"--set 'Pattern=Stripes' -o x.png", "", "unknown Pattern \"Stripes\"; valid: \"Panel Grid\""},
      {"--preset 'Nope' -o x.png", "", "unknown Preset \"Nope\""},
      {"--set 'Brightness=bright' -o x.png", "", "Brightness takes a number"},
      {"--set Pattern -o x.png", "", "expected NAME=VALUE"},
      {"--size 1920 -o x.png", "", "--size takes WIDTHxHEIGHT"},
      {"--size 0x100 -o x.png", "", "--size takes WIDTHxHEIGHT"},
      {"--size 12x-4 -o x.png", "", "--size takes WIDTHxHEIGHT"},
      {"--size 99999x99999 -o x.png", "", "is larger than this GL implementation renders"},
      {"-o missing/x.png", "", "output folder \"missing\" does not exist"},
      {"--frames 3 -o x.png", "", "needs a numbered pattern"},
      {"--frames 2 -o 'x-%s.png'", "", "exactly one %d"},
      {"--fps 0 -o x.png", "", "--fps takes a positive rate"},
      {"", "", "nothing to write"},
      {"--bogus", "", "error:"},
      {"--size 8x8 -o x.png", "MESA_GL_VERSION_OVERRIDE=3.3", "OpenGL 4.1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const RunResult run = Run(c.arguments, c.environment);
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_EQ(FilesLeft(), 0u);
  }
}

// A loaded module is driven as a host drives it: FREE by path draws what
// the linked FREE draws, and a stand-in that logs what it receives shows
// exactly one frame per output frame, host time n / fps before frame n, the
// start time's two parameters, and texts and file names set by --set.
TEST_F(RenderTool, LoadedFreeModuleDrawsWhatTheLinkedOneDraws) {
  // The preset as a parameter: --preset itself is refused for a loaded module.
  const std::string picture = " --size 64x48 --set 'Preset=Colour Bars' -o ";
  const RunResult linked = Run(picture + "linked.png");
  const RunResult loaded = Run(std::string("--plugin '") + VELTRIMA_FREE_PLUGIN_PATH + "'" + picture +
                               "loaded.png");
  ASSERT_EQ(linked.exitCode, 0) << linked.output;
  ASSERT_EQ(loaded.exitCode, 0) << loaded.output;
  EXPECT_EQ(ReadPng((folder_ / "linked.png").string()).rgba,
            ReadPng((folder_ / "loaded.png").string()).rgba);
  const RunResult preset = Run(std::string("--plugin '") + VELTRIMA_FREE_PLUGIN_PATH +
                               "' --preset 'Colour Bars' -o p.png");
  EXPECT_EQ(preset.exitCode, 2);
  EXPECT_NE(preset.output.find("--preset and --sheet are the FREE plug-in's"), std::string::npos)
      << preset.output;
}

TEST_F(RenderTool, LoadedModuleGetsOneFramePerOutputFrameAtExactHostTimes) {
  const RunResult run = Run(std::string("--plugin '") + HOST_TIME_PLUGIN_PATH +
                            "' --size 8x8 --frames 4 --fps 29.97 --start-time 01:02:03.450"
                            " --set 'Label= a b.txt' -q -o clip.mov");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  std::string expected =
      "set Clock Source 1\nset Start Time 01:02:03.450\nset Label  a b.txt\n";
  for (int n = 0; n < 4; ++n) {
    char line[64];
    std::snprintf(line, sizeof line, "draw %.17g\n", n * 1001.0 / 30000.0);
    expected += line;
  }
  EXPECT_EQ(run.output, expected);
  EXPECT_EQ(FilesLeft(), 1u);
}

TEST_F(RenderTool, ListWorksForALoadedModule) {
  const SplitResult run = RunSplit(std::string("--plugin '") + HOST_TIME_PLUGIN_PATH + "' --list");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("\"Start Time\" (text"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("Presets"), std::string::npos) << run.out;
}

// A plug-in that reads a file off the host's thread shows "LOADING" until it
// has read it; a file has no audience to keep moving, so its frames wait for
// the read instead of showing the picture from before it.
TEST_F(RenderTool, FramesWaitWhileAParameterShowsLoading) {
  const RunResult run = Run(std::string("--plugin '") + HOST_TIME_PLUGIN_PATH +
                                "' --size 8x8 --frames 2 --set 'Label=wall.csv' -q -o f-%d.png",
                            "HOST_TIME_PROBE_LOADING_MS=400");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  EXPECT_EQ(run.output.find("while loading"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find("draw 0\n"), std::string::npos) << run.output;
  EXPECT_EQ(FilesLeft(), 2u);
}

// A loaded module that turns half transparent at draw k: frames before it are
// opaque, the frame itself and those already drawn behind it in the 8-bit
// ring are made straight from their bytes (130 from 26 / 51), every later
// frame goes through the float path (128 from 0.1 / 0.2), one note names the
// switch, and the plug-in still gets exactly one draw per frame.
TEST_F(RenderTool, ALoadedModuleTurningTransparentSwitchesToTheFloatPath) {
  constexpr int kSide = 8, kFrameBytes = kSide * kSide * 4;
  constexpr int kRing = 3;  // the 8-bit path's read-back buffers
  const struct {
    int from;  // first transparent draw, -1 for none
    int frames;
    bool note;
  } cases[] = {{-1, 6, false}, {0, 6, false}, {4, 12, true}, {1, 2, true}, {11, 12, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE("transparent from " + std::to_string(c.from) + " of " +
                 std::to_string(c.frames));
    const std::string environment =
        c.from >= 0 ? "HOST_TIME_PROBE_TRANSPARENT_FROM=" + std::to_string(c.from) : "";
    const SplitResult run =
        RunSplit(std::string("--plugin '") + HOST_TIME_PLUGIN_PATH + "' --size 8x8 --frames " +
                     std::to_string(c.frames) + " -q -o -",
                 environment);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_EQ(run.out.size(), static_cast<std::size_t>(c.frames) * kFrameBytes);
    int draws = 0;
    for (std::size_t at = run.err.find("draw "); at != std::string::npos;
         at = run.err.find("draw ", at + 1))
      ++draws;
    EXPECT_EQ(draws, c.frames) << run.err;
    // Each transparent frame is one colour: 130 (from bytes) or 128 (float).
    int lastFromBytes = -1;
    for (int n = 0; n < c.frames; ++n) {
      const auto* frame = reinterpret_cast<const unsigned char*>(run.out.data()) + n * kFrameBytes;
      const bool transparent = c.from >= 0 && n >= c.from;
      const bool fromBytes = transparent && frame[0] == 130;
      for (int i = 0; i < kFrameBytes; i += 4) {
        ASSERT_EQ(frame[i + 3], transparent ? 51 : 255) << "frame " << n << " byte " << i;
        if (transparent) {
          ASSERT_EQ(frame[i], fromBytes ? 130 : 128) << "frame " << n;
        }
      }
      if (!fromBytes) continue;
      // Only the frames from the switch on that were drawn before it was seen.
      EXPECT_EQ(n, lastFromBytes < 0 ? c.from : lastFromBytes + 1) << "frame " << n;
      EXPECT_LE(n, c.from + kRing) << "frame " << n;
      lastFromBytes = n;
    }
    const std::size_t note = run.err.find("veltrima-render: note: ");
    ASSERT_EQ(note != std::string::npos, c.note) << run.err;
    if (!c.note) continue;
    EXPECT_GE(lastFromBytes, c.from) << "the switch frame itself comes from its bytes";
    const std::string expected = "frame " + std::to_string(c.from) + " is not opaque: frames " +
                                 std::to_string(c.from) + " to " + std::to_string(lastFromBytes) +
                                 " are made straight";
    EXPECT_NE(run.err.find(expected, note), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin() + static_cast<std::ptrdiff_t>(note), run.err.end(), '\n'),
              1 + (c.frames - 1 - lastFromBytes))
        << "one line, then only the later frames' draws: " << run.err;
  }
}

// --plugin sync finds the SYNC module beside the tool, drives its clock with
// the host time from --start-time, and frame n carries frame number n and
// the time start + n / fps in its code strip. The strip is read here from
// its published layout alone (cells of 16 px at 1280 wide, the first cell
// at (S, H - 2S), two guard cells, 64 data cells, most significant first),
// so the tool and the format are checked together.
TEST_F(RenderTool, SyncByNameStampsEachFrameWithItsNumberAndTime) {
  const RunResult run =
      Run("--plugin sync --start-time 23:59:59.960 --fps 25 --size 1280x720 --frames 3 -o s-%d.png");
  ASSERT_EQ(run.exitCode, 0) << run.output;
  constexpr int kCell = 16, kHeight = 720;
  for (int n = 0; n < 3; ++n) {
    SCOPED_TRACE(n);
    const Image image = ReadPng((folder_ / ("s-" + std::to_string(n) + ".png")).string());
    ASSERT_EQ(image.height, kHeight);
    const int y = kHeight - 2 * kCell + kCell / 2;
    EXPECT_EQ(Pixel(image, kCell + kCell / 2, y), (Bytes{255, 255, 255, 255})) << "start guard";
    std::uint64_t bits = 0;
    for (int k = 0; k < 64; ++k) {
      const Bytes cell = Pixel(image, kCell * (3 + k) + kCell / 2, y);
      ASSERT_TRUE(cell == (Bytes{255, 255, 255, 255}) || cell == (Bytes{0, 0, 0, 255})) << "cell " << k;
      bits = bits << 1 | (cell[0] == 255 ? 1u : 0u);
    }
    EXPECT_EQ(bits >> 40, static_cast<std::uint64_t>(n)) << "frame number";
    // 23:59:59.960 + n / 25 s: the last 40 ms of the day, then midnight.
    const std::uint64_t expectedMs[] = {86'399'960, 0, 40};
    EXPECT_EQ(bits >> 13 & ((std::uint64_t{1} << 27) - 1), expectedMs[n]) << "millisecond of the day";
    EXPECT_EQ(bits >> 8 & 31u, 0u) << "output number";
  }
}

// --all-screens on a two-screen layout: one PNG per screen, each at that
// screen's canvas (its cabinets' extent from 0,0: 800x480 and 960x270), and
// each exactly the picture a single render of that screen at that size makes.
TEST_F(RenderTool, AllScreensWritesEachScreenAsItsSingleRenderDrawsIt) {
  const std::string layout = std::string(MAP_LAYOUTS_DIR) + "/screens.xml";
  const std::string map = "--plugin map --set 'Map File=" + layout + "' ";
  const RunResult all = Run(map + "--all-screens -o wall.png");
  ASSERT_EQ(all.exitCode, 0) << all.output;
  EXPECT_EQ(FilesLeft(), 2u) << "wall-1.png and wall-2.png only";
  const struct {
    int screen;
    int width, height;
  } screens[] = {{1, 800, 480}, {2, 960, 270}};
  for (const auto& s : screens) {
    SCOPED_TRACE(s.screen);
    const std::string size = std::to_string(s.width) + "x" + std::to_string(s.height);
    const RunResult one = Run(map + "--set Screen=" + std::to_string(s.screen) + " --size " +
                              size + " -o one.png");
    ASSERT_EQ(one.exitCode, 0) << one.output;
    const Image screen = ReadPng((folder_ / ("wall-" + std::to_string(s.screen) + ".png")).string());
    EXPECT_EQ(screen.width, s.width);
    EXPECT_EQ(screen.height, s.height);
    EXPECT_TRUE(screen.rgba == ReadPng((folder_ / "one.png").string()).rgba)
        << "wall-" << s.screen << ".png differs from the single render at " << size;
  }
}

TEST_F(RenderTool, AllScreensRefusesWhatItCannotWriteAndLeavesNoFile) {
  {
    std::ofstream bad((folder_ / "bad.csv").string());
    bad << "id,x,y,w,h\nA1,0,0,8,8\nA2,8,0,W,8\n";
  }
  const std::string map = "--plugin map --set 'Map File=bad.csv' ";
  const std::string good = std::string("--plugin map --set 'Map File=") + MAP_LAYOUTS_DIR +
                           "/screens.xml' --all-screens ";
  const struct {
    std::string arguments;
    const char* message;
  } cases[] = {
      {map + "--all-screens -o wall.png", "error: bad.csv: LINE 3: W IS NOT A NUMBER"},
      {"--plugin map --set 'Map File=none.csv' --all-screens -o wall.png",
       "none.csv: CANNOT OPEN FILE: NO SUCH FILE OR DIRECTORY"},
      {"--all-screens -o wall.png", "use it with --plugin map"},
      {"--plugin map --all-screens -o wall.png", "--set \"Map File=PATH\""},
      {good + "--frames 2 -o wall.png", "leave out --frames"},
      {good + "-o wall.mkv", "needs -o NAME.png"},
      {good + "-o 'w-%d.png'", "needs -o NAME.png"},
      {good + "-o -", "needs -o NAME.png"},
      {good, "needs -o NAME.png"},
      {good + "--size 64x64 -o wall.png", "leave out --size"},
      {good + "--set Screen=2 -o wall.png", "leave out its --set"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const RunResult run = Run(c.arguments);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.output.find(c.message), std::string::npos) << run.output;
    EXPECT_EQ(std::count(run.output.begin(), run.output.end(), '\n'), 1) << run.output;
    EXPECT_EQ(FilesLeft(), 1u) << "only bad.csv";
  }
}

}  // namespace
