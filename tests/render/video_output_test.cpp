// veltrima-render's video files read back through libavformat and
// libavcodec: for every codec the stream says what was asked (codec, size,
// frame count, exact frame rate, start timecode, BT.709 colour tags and the
// range where the file can hold it); lossless codecs decode to exactly the
// tool's raw frames, ProRes and HAP to within the error their compression
// allows; frames repeat in every file exactly where they were drawn so;
// deep FFV1 holds the 16-bit PNGs' values; an interrupted run, a
// refused codec or container, and an unwritable folder leave no file.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <gtest/gtest.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "imaging/PngFile.h"
#include "tests/ScratchFolder.h"
#include "tests/render/DecodedFiles.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 64, kHeight = 48, kFrames = 3;
// Colour bars, flat areas with sharp edges, at a broadcast rate whose
// timecode is drop-frame.
const std::string kClip = "--preset 'Colour Bars' --size 64x48 --frames 3 --fps 59.94 -q";

struct Decoded {
  std::string codec;
  int width = 0, height = 0;
  AVRational frameRate{0, 1};
  AVColorPrimaries primaries = AVCOL_PRI_UNSPECIFIED;
  AVColorTransferCharacteristic transfer = AVCOL_TRC_UNSPECIFIED;
  AVColorSpace space = AVCOL_SPC_UNSPECIFIED;
  AVColorRange range = AVCOL_RANGE_UNSPECIFIED;
  std::string timecode;
  std::vector<std::vector<std::uint8_t>> rgba;  // every frame, 8-bit RGBA, rows top-down
};

std::string Tag(AVDictionary* tags, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(tags, key, nullptr, 0);
  return entry ? entry->value : "";
}

// The file's video stream description, and every frame decoded to RGBA (the
// decoder's RGB or full-range BT.709 YUV converted).
Decoded Decode(const std::string& path) {
  Decoded out;
  const auto describe = [&](const AVFormatContext& format, const AVStream& stream) {
    const AVCodecParameters* p = stream.codecpar;
    out.codec = avcodec_get_name(p->codec_id);
    out.width = p->width;
    out.height = p->height;
    out.frameRate = stream.avg_frame_rate;
    out.primaries = p->color_primaries;
    out.transfer = p->color_trc;
    out.space = p->color_space;
    out.range = p->color_range;
    out.timecode = Tag(stream.metadata, "timecode");
    if (out.timecode.empty()) out.timecode = Tag(format.metadata, "timecode");
    for (unsigned i = 0; out.timecode.empty() && i < format.nb_streams; ++i)
      out.timecode = Tag(format.streams[i]->metadata, "timecode");
  };
  const auto take = [&](const AVFrame& frame) {
    const bool limited = frame.color_range == AVCOL_RANGE_MPEG ||
                         (frame.color_range == AVCOL_RANGE_UNSPECIFIED && out.range == AVCOL_RANGE_MPEG);
    SwsContext* scale = sws_getContext(frame.width, frame.height,
                                       static_cast<AVPixelFormat>(frame.format), frame.width,
                                       frame.height, AV_PIX_FMT_RGBA,
                                       SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr,
                                       nullptr, nullptr);
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(scale, bt709, limited ? 0 : 1, bt709, 1, 0, 1 << 16, 1 << 16);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(frame.width * frame.height * 4));
    std::uint8_t* planes[1] = {rgba.data()};
    const int strides[1] = {frame.width * 4};
    sws_scale(scale, frame.data, frame.linesize, 0, frame.height, planes, strides);
    sws_freeContext(scale);
    out.rgba.push_back(std::move(rgba));
  };
  DecodeEachFrame(path, describe, take);
  return out;
}

// Every frame of a planar RGB(A) stream of 10 to 16 bits (deep FFV1), as
// the decoder gives it: R, G, B per pixel at the stream's own depth, rows
// top-down.
struct DeepFrames {
  int depth = 0;
  std::vector<std::vector<std::uint16_t>> rgb;
};

DeepFrames DecodeDeep(const std::string& path) {
  DeepFrames out;
  const auto take = [&](const AVFrame& frame) {
    const AVPixFmtDescriptor* d = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame.format));
    if (!(d->flags & AV_PIX_FMT_FLAG_PLANAR) || !(d->flags & AV_PIX_FMT_FLAG_RGB) ||
        d->comp[0].depth <= 8) {
      ADD_FAILURE() << "not deep planar RGB: " << d->name;
      return;
    }
    out.depth = d->comp[0].depth;
    std::vector<std::uint16_t> rgb;
    for (int y = 0; y < frame.height; ++y)
      for (int x = 0; x < frame.width; ++x)
        for (int c = 0; c < 3; ++c) {
          const int plane = d->comp[c].plane;
          std::uint16_t value;
          std::memcpy(&value, frame.data[plane] + y * frame.linesize[plane] + x * 2, 2);
          rgb.push_back(value);
        }
    out.rgb.push_back(std::move(rgb));
  };
  DecodeEachFrame(path, [](const AVFormatContext&, const AVStream&) {}, take);
  return out;
}

class VideoOutput : public ::testing::Test {
 protected:
  // Runs the tool in the test's folder: its exit code, and standard output
  // (with standard error when `withErrors`).
  std::pair<int, std::string> Run(const std::string& arguments, bool withErrors = true) const {
    return ShellIn(folder_, std::string("'") + VELTRIMA_RENDER_PATH + "' " + arguments +
                                (withErrors ? " 2>&1" : " 2>/dev/null"));
  }

  std::size_t FilesLeft() const {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder_)) ++count;
    return count;
  }

  ScratchFolder scratch_{"veltrima-video-test"};
  const fs::path folder_ = scratch_.Path();
};

struct CodecCase {
  const char* codec;
  const char* file;
  const char* ffmpegName;
  bool rgb;  // full-range RGB; otherwise limited-range BT.709 YUV
  // Whether the file states the range. QuickTime's colour atom has no range
  // field, so in .mov only a codec whose own frames carry it can.
  bool rangeStated;
  bool lossless;
  // Lossy codecs on the 0..255 scale: the mean difference of a channel from
  // the raw frames, and the difference that 99 in 100 channels stay within.
  double meanLimit;
  int p99Limit;
};

// Limits for the lossy codecs, measured on these 64x48 bars with their
// captions, where most 4x4 and 8x8 blocks hold an edge. ProRes 4444 codes
// 10-bit 4:4:4 through a DCT: a step or two on flat bars and ringing on the
// captions (XQ, at twice the rate, half of it). HAP is DXT1: each 4x4 block
// keeps two RGB565 colours and the points between them, so a block holding
// a caption's letter and two bars loses one colour outright; HAP Q (YCoCg
// DXT5) keeps luma apart and does four times better. H.264 4:4:4 at CRF 12
// sits between. A conversion gone wrong (full for limited range, another
// matrix) moves the mean of every flat bar by ten or more, far past these.
const CodecCase kCodecs[] = {
    {"ffv1", "clip.mkv", "ffv1", true, true, true, 0, 0},
    {"png", "clip.mov", "png", true, true, true, 0, 0},
    {"png", "clip.mp4", "png", true, true, true, 0, 0},
    {"qtrle", "clip.mov", "qtrle", true, false, true, 0, 0},
    {"h264-lossless", "clip.mkv", "h264", true, true, true, 0, 0},
    {"h264-lossless", "clip.mov", "h264", true, true, true, 0, 0},
    {"prores", "clip.mov", "prores", false, true, false, 2.0, 16},
    {"prores-xq", "clip.mov", "prores", false, true, false, 1.0, 8},
    {"hap", "clip.mov", "hap", true, false, false, 4.0, 80},
    {"hap-alpha", "clip.mov", "hap", true, false, false, 4.0, 80},
    {"hap-q", "clip.mov", "hap", true, false, false, 2.0, 16},
    {"h264", "clip.mp4", "h264", false, true, false, 3.0, 24},
};

TEST_F(VideoOutput, EveryCodecSaysWhatWasAskedAndKeepsThePixels) {
  const auto raw = Run(kClip + " -o -", false);
  ASSERT_EQ(raw.first, 0);
  ASSERT_EQ(raw.second.size(), std::size_t{kFrames} * kWidth * kHeight * 4);
  for (const CodecCase& c : kCodecs) {
    SCOPED_TRACE(std::string(c.codec) + " in " + c.file);
    const auto run = Run(kClip + " --start-time 01:00:00.500 --codec " + c.codec + " -o " + c.file);
    ASSERT_EQ(run.first, 0) << run.second;
    EXPECT_EQ(run.second, "");
    const Decoded d = Decode((folder_ / c.file).string());
    EXPECT_EQ(d.codec, c.ffmpegName);
    EXPECT_EQ(d.width, kWidth);
    EXPECT_EQ(d.height, kHeight);
    ASSERT_EQ(d.rgba.size(), std::size_t{kFrames});
    // Matroska counts time in milliseconds, so 60000/1001 reads back as the
    // nearest rate that its durations give; QuickTime and MP4 keep it exactly.
    if (std::string(c.file).find(".mkv") != std::string::npos) {
      EXPECT_NEAR(av_q2d(d.frameRate), 60000.0 / 1001.0, 1e-3);
    } else {
      EXPECT_EQ(av_cmp_q(d.frameRate, AVRational{60000, 1001}), 0)
          << d.frameRate.num << "/" << d.frameRate.den;
    }
    // 0.5 s at 59.94 is frame 30 (drop-frame numbering, ';').
    EXPECT_EQ(d.timecode, "01:00:00;30");
    EXPECT_EQ(d.primaries, AVCOL_PRI_BT709);
    EXPECT_EQ(d.transfer, AVCOL_TRC_BT709);
    EXPECT_EQ(d.space, c.rgb ? AVCOL_SPC_RGB : AVCOL_SPC_BT709);
    EXPECT_EQ(d.range, !c.rangeStated ? AVCOL_RANGE_UNSPECIFIED
                       : c.rgb           ? AVCOL_RANGE_JPEG
                                         : AVCOL_RANGE_MPEG)
        << av_color_range_name(d.range);
    // Every channel's difference from the raw frames, sorted: the largest
    // bounds lossless codecs, the mean and the 99th percentile lossy ones.
    std::vector<int> differences;
    for (int f = 0; f < kFrames; ++f)
      for (std::size_t i = 0; i < d.rgba[f].size(); ++i)
        if (i % 4 != 3)  // opaque bars: alpha is 255 or absent
          differences.push_back(std::abs(
              static_cast<unsigned char>(raw.second[f * d.rgba[f].size() + i]) - d.rgba[f][i]));
    std::sort(differences.begin(), differences.end());
    double mean = 0;
    for (int difference : differences) mean += difference;
    mean /= static_cast<double>(differences.size());
    const int p99 = differences[differences.size() * 99 / 100];
    if (c.lossless) {
      EXPECT_EQ(differences.back(), 0) << "a lossless codec changed the frames";
    } else {
      EXPECT_LE(mean, c.meanLimit);
      EXPECT_LE(p99, c.p99Limit);
    }
  }
}

// A frame whose bytes repeat the one before it goes to the encoder as the
// picture converted last; one that differs is converted afresh, never into a
// picture the encoder still holds. So every file's frames repeat exactly
// where the frames drawn at its depth do (8-bit raw frames, 16-bit PNGs),
// and 8-bit FFV1 decodes to the drawn frames themselves: for a preset that
// holds still after its first frame, one that moves every frame and one
// that holds and then changes.
TEST_F(VideoOutput, FramesRepeatInTheFileExactlyWhereTheyWereDrawnSo) {
  constexpr int kCount = 12;
  const struct {
    const char* preset;
    const char* fps;
  } presets[] = {{"Colour Bars", "60"}, {"Dead Pixel Sweep", "60"}, {"RGBW Solid Cycle", "1"}};
  const struct {
    bool deep;  // --depth 16, else 8
    const char* file;
    bool lossless;
  } files[] = {{false, "clip.mkv", true}, {false, "clip.mov", false}, {true, "deep.mkv", false}};
  const std::size_t bytes = std::size_t{kWidth} * kHeight * 4;
  int repeats = 0, changes = 0;
  for (const auto& p : presets) {
    const std::string clip = std::string("--preset '") + p.preset +
                             "' --size 64x48 --frames " + std::to_string(kCount) + " --fps " +
                             p.fps + " -q ";
    const auto raw = Run(clip + "-o -", false);
    ASSERT_EQ(raw.first, 0);
    ASSERT_EQ(raw.second.size(), kCount * bytes);
    const auto drawn = [&](int f) { return raw.second.substr(f * bytes, bytes); };
    const auto pngs = Run(clip + "--depth 16 -o 'truth-%d.png'");
    ASSERT_EQ(pngs.first, 0) << pngs.second;
    const auto drawnDeep = [&](int f) {
      return ReadPng((folder_ / ("truth-" + std::to_string(f) + ".png")).string()).rgba;
    };
    for (const auto& file : files) {
      SCOPED_TRACE(std::string(p.preset) + ", " + file.file + (file.deep ? " --depth 16" : ""));
      const auto run = Run(clip + (file.deep ? "--depth 16 " : "") + "-o " + file.file);
      ASSERT_EQ(run.first, 0) << run.second;
      const Decoded d = Decode((folder_ / file.file).string());
      ASSERT_EQ(d.rgba.size(), std::size_t{kCount});
      for (int f = 1; f < kCount; ++f) {
        const bool repeated =
            file.deep ? drawnDeep(f) == drawnDeep(f - 1) : drawn(f) == drawn(f - 1);
        (repeated ? repeats : changes) += 1;
        EXPECT_EQ(d.rgba[f] == d.rgba[f - 1], repeated) << "frame " << f;
      }
      for (int f = 0; f < kCount && file.lossless; ++f)
        EXPECT_TRUE(std::equal(d.rgba[f].begin(), d.rgba[f].end(), drawn(f).begin(),
                               [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); }))
            << "frame " << f;
    }
  }
  EXPECT_GT(repeats, 0);
  EXPECT_GT(changes, 0);
}

TEST_F(VideoOutput, H264In420IsOnlyOnRequestAndWarnsOnce) {
  const auto run = Run(kClip + " --pix-fmt yuv420p -o clip.mp4");
  ASSERT_EQ(run.first, 0) << run.second;
  EXPECT_NE(run.second.find("warning: --pix-fmt yuv420p halves the colour resolution"),
            std::string::npos)
      << run.second;
  EXPECT_EQ(std::count(run.second.begin(), run.second.end(), '\n'), 1);
  const Decoded d = Decode((folder_ / "clip.mp4").string());
  EXPECT_EQ(d.rgba.size(), std::size_t{kFrames});
  // Its chroma is left-sited, as the file says (by H.264's default): each
  // colour edge of the bars decodes where the picture has it, not half a
  // pixel off.
  const auto truth = Run(kClip + " -o 'truth-%d.png'");
  ASSERT_EQ(truth.first, 0) << truth.second;
  const Image drawn = ReadPng((folder_ / "truth-0.png").string());
  const DecodedSignal decoded = DecodeSignalFile((folder_ / "clip.mp4").string());
  ASSERT_EQ(decoded.chroma.size(), std::size_t{kWidth} * kHeight);
  EXPECT_EQ(decoded.chromaLocation, AVCHROMA_LOC_LEFT);
  const int y = 8, reach = 4;  // a row of the bars
  const auto same = [&](int a, int b) {
    for (int c = 0; c < 3; ++c)
      if (drawn.rgba[static_cast<std::size_t>(4 * (y * kWidth + a) + c)] !=
          drawn.rgba[static_cast<std::size_t>(4 * (y * kWidth + b) + c)])
        return false;
    return true;
  };
  int edges = 0;
  for (int x = reach; x + reach <= kWidth; ++x) {
    bool flat = !same(x - 1, x);
    for (int k = 1; k < reach && flat; ++k) flat = same(x - 1 - k, x - 1) && same(x + k, x);
    const double found = flat ? ChromaEdgeAt(decoded, y, x, reach) : NAN;
    if (std::isnan(found)) continue;
    ++edges;
    EXPECT_NEAR(found, x, 0.25) << "the edge before column " << x;
  }
  EXPECT_GE(edges, 4);
}

// Deep FFV1 comes from the float read-back, as the 16-bit PNGs of the same
// frames do: at 16 bits it decodes to exactly their values, at 10 and 12 to
// them rounded to the stream's depth (one step either way: libswscale may
// truncate). Frames widened from 8-bit bytes miss by many steps at 12 and 16.
TEST_F(VideoOutput, DeepFfv1HoldsTheSixteenBitPngsValues) {
  const auto pngs = Run(kClip + " --depth 16 -o 'truth-%d.png'");
  ASSERT_EQ(pngs.first, 0) << pngs.second;
  std::vector<Image> truth;
  for (int f = 0; f < kFrames; ++f)
    truth.push_back(ReadPng((folder_ / ("truth-" + std::to_string(f) + ".png")).string()));
  for (const int depth : {10, 12, 16}) {
    SCOPED_TRACE(depth);
    const auto run = Run(kClip + " --depth " + std::to_string(depth) + " -o deep.mkv");
    ASSERT_EQ(run.first, 0) << run.second;
    const DeepFrames deep = DecodeDeep((folder_ / "deep.mkv").string());
    ASSERT_EQ(deep.depth, depth);
    ASSERT_EQ(deep.rgb.size(), std::size_t{kFrames});
    const int tolerance = depth == 16 ? 0 : 1;
    const double top = (1 << depth) - 1;
    for (int f = 0; f < kFrames; ++f) {
      ASSERT_EQ(deep.rgb[f].size(), std::size_t{kWidth} * kHeight * 3);
      int wrong = 0;
      for (std::size_t i = 0; i < deep.rgb[f].size(); ++i) {
        const std::uint16_t png = truth[f].rgba[i / 3 * 4 + i % 3];
        const long expected = std::lround(png * top / 65535.0);
        if (std::abs(deep.rgb[f][i] - expected) > tolerance && wrong++ == 0)
          ADD_FAILURE() << "frame " << f << " pixel (" << i / 3 % kWidth << ", "
                        << i / 3 / kWidth << ") channel " << i % 3 << ": PNG " << png
                        << ", FFV1 " << deep.rgb[f][i] << ", expected " << expected;
      }
      EXPECT_EQ(wrong, 0) << "frame " << f;
    }
  }
}

TEST_F(VideoOutput, RefusedChoicesNameWhatWorksAndLeaveNoFile) {
  fs::create_directories(folder_ / "locked");
  fs::permissions(folder_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  const bool root = ::geteuid() == 0;  // root writes into any folder
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"--codec vp9 -o x.mkv", "unknown --codec \"vp9\"; valid: \"ffv1\""},
      {"--codec hap -o x.mkv", "a .mkv file cannot hold --codec hap; write it as .mov"},
      {"--codec qtrle -o x.mp4", "cannot hold --codec qtrle"},
      {"--codec png -o x.mkv", "a .mkv file cannot hold --codec png; write it as .mov or .mp4"},
      {"--codec ffv1 -o x.mov", "a .mov file cannot hold --codec ffv1; write it as .mkv"},
      {"--codec prores --depth 12 -o x.mov", "--codec prores takes --depth 10 (or 8), not 12"},
      {"--codec h264 --depth 10 -o x.mp4", "--codec h264 takes --depth 8, not 10"},
      {"--codec hap -o x.mov --size", "multiples of 4"},
      {"--pix-fmt yuv420p --codec ffv1 -o x.mkv", "--pix-fmt yuv420p is for --codec h264"},
      {"--codec ffv1 -o x.png", "--codec and --pix-fmt are for video files"},
      {"--depth 12 -o x.png", "PNG files take --depth 8 or 16"},
      {"--depth 16 -o -", "raw frames are 8-bit"},
      {"--start-time 25:00:00.000 -o x.mov", "--start-time takes HH:MM:SS.mmm"},
      {"--fps 12.5 --start-time 00:00:01.000 -o x.mov", "a timecode counts whole frames"},
      {"--fps 0 -o x.mov", "--fps takes a positive rate"},
      {root ? "-o missing/x.mov" : "-o locked/x.mov",
       root ? "does not exist" : "output folder \"locked\" cannot be written"},
      {"--plugin nowhere.so -o x.png", "--plugin nowhere.so: no plug-in module at nowhere.so"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments);
    const auto run = Run(std::string("-q ") + c.arguments + (std::string(c.arguments).back() == 'e' ? " 30x30" : " --size 64x48"));
    EXPECT_EQ(run.first, 2);
    EXPECT_NE(run.second.find(c.message), std::string::npos) << run.second;
    EXPECT_EQ(std::count(run.second.begin(), run.second.end(), '\n'), 1) << run.second;
    EXPECT_EQ(FilesLeft(), 1u) << "only the locked folder";
  }
}

// A place the folder check lets through but the kernel refuses (for root,
// /proc takes no new files; for anyone else the folder check refuses it)
// fails in one line that says what to do.
TEST_F(VideoOutput, UnwritablePlaceSaysToChooseAnother) {
  for (const char* arguments :
       {"--frames 2 -o /proc/x.mov", "-o /proc/x.png", "--depth 16 --frames 2 -o /proc/x-%d.png"}) {
    SCOPED_TRACE(arguments);
    const auto run = Run(std::string("-q --size 64x48 ") + arguments);
    EXPECT_NE(run.first, 0);
    EXPECT_EQ(std::count(run.second.begin(), run.second.end(), '\n'), 1) << run.second;
    const std::string ending = "; choose another -o\n";
    EXPECT_TRUE(run.second.size() >= ending.size() &&
                run.second.compare(run.second.size() - ending.size(), ending.size(), ending) == 0)
        << run.second;
  }
}

// The start timecode is the label the SYNC plug-in draws on the first frame:
// at a non-drop 1000/1001 rate it counts the whole frames shown since
// midnight at that rate, so it runs behind the clock; at a whole rate it
// reads as the clock; and it never reaches hour 24 (the last frames of a
// drop-frame day already carry the next day's first labels).
TEST_F(VideoOutput, StartTimecodeIsTheFramesLabel) {
  const struct {
    const char* fps;
    const char* start;
    const char* timecode;
  } cases[] = {
      {"23.976", "01:00:00.000", "00:59:56:09"},
      {"24000/1001", "01:00:00.000", "00:59:56:09"},
      {"25", "01:00:00.000", "01:00:00:00"},
      {"29.97", "23:59:59.900", "23:59:59;29"},
      {"29.97", "23:59:59.950", "00:00:00;01"},
      {"60", "23:59:59.999", "23:59:59:59"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.fps) + " at " + c.start);
    const auto run = Run(std::string("-q --size 64x48 --start-time ") + c.start + " --fps " +
                         c.fps + " -o t.mov");
    ASSERT_EQ(run.first, 0) << run.second;
    EXPECT_EQ(Decode((folder_ / "t.mov").string()).timecode, c.timecode);
  }
}

// SIGINT after some frames: the run stops between frames, the encoder's
// temporary file goes, and no clip appears.
TEST_F(VideoOutput, InterruptedRunLeavesNoFile) {
  const std::string tool = VELTRIMA_RENDER_PATH;
  const std::string output = (folder_ / "long.mkv").string();
  std::vector<std::string> words = {tool, "--preset", "Dead Pixel Sweep", "--size", "320x180",
                                    "--frames", "100000", "-q", "-o", output};
  std::vector<char*> argv;
  for (auto& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, tool.c_str(), nullptr, nullptr, argv.data(), environ), 0);
  // Wait until the temporary file has grown past its header: frames are flowing.
  bool writing = false;
  for (int i = 0; i < 400 && !writing; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (const auto& entry : fs::directory_iterator(folder_))
      if (entry.path().filename().string().rfind(".long.partial-", 0) == 0 &&
          entry.file_size() > 20000)
        writing = true;
  }
  EXPECT_TRUE(writing) << "no temporary file grew";
  ::kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_EQ(FilesLeft(), 0u);
}

}  // namespace
