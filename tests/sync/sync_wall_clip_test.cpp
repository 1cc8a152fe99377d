// A clip of a wall read back: SYNC's own region-code frames, each region
// given a known offset in ms, a drift or a repeated and dropped frame, put
// through a video camera (CameraClip: rolling shutter, an exposure across
// frame changes, refresh banding) at 240 fps, written as a real H.264 file
// by ffmpeg and read by veltrima-sync-read's wall reader. Every region's
// offset within 1 ms, its drift, the camera's line time; none invented.
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "sync/RegionGrid.h"
#include "tests/ScratchFolder.h"
#include "tests/sync/CameraShot.h"
#include "tests/sync/SyncKit.h"
#include "tools/sync-read/WallClip.h"
#include "tools/sync-read/WallCommand.h"

namespace {

constexpr int kOutputWidth = 640, kOutputHeight = 360, kOutputs = 3;
constexpr int kRegionsPerOutput = kDefaultRegionColumns * kDefaultRegionRows;
constexpr std::uint64_t kBase = 40000;  // the frame the wall starts on
constexpr double kWallFrameMs = 1000.0 / 60;
constexpr int kClipFrames = 180;  // 0.75 s at 240 fps
constexpr int kSlotsBefore = 4;   // refreshes drawn before the clip starts, for late regions

// What one region does; the rest stay on time.
struct Truth {
  unsigned output;
  int region;
  double offsetMs = 0;     // as reported: negative late
  double driftMsPerS = 0;  // as reported
  int repeatAt = -1, dropAt = -1;  // the refresh that repeats the frame before / skips one; -1: none
};

struct ClipCase {
  const char* name;
  VideoCamera video;
  std::vector<Truth> truths;
  const char* pixelFormat = "yuv420p";
  int rotateTag = 0;
  bool lineTimeGiven = false;  // read again with the camera's own line time given
};

class SyncWallClip : public SyncSuite {
 protected:
  // The whole wall at frame `frame`, every output side by side.
  static cv::Mat WallAt(std::vector<std::unique_ptr<hostkit::HostInstance>>& hosts, std::uint64_t frame) {
    cv::Mat wall(kOutputHeight, kOutputWidth * kOutputs, CV_8UC1);
    for (int o = 0; o < kOutputs; ++o) {
      hostkit::HostInstance& host = *hosts[static_cast<std::size_t>(o)];
      Instance(host).StartCountingAt(frame);
      EXPECT_EQ(host.RunFrames(1), FF_SUCCESS);
      const auto rgba = synckit::ReadRegion(host.Target(), {0, 0, kOutputWidth, kOutputHeight});
      cv::Mat target = wall(cv::Rect(o * kOutputWidth, 0, kOutputWidth, kOutputHeight));
      for (int y = 0; y < kOutputHeight; ++y)
        for (int x = 0; x < kOutputWidth; ++x)
          target.at<std::uint8_t>(y, x) = rgba[static_cast<std::size_t>(y * kOutputWidth + x) * 4];
    }
    return wall;
  }

  // The clip's frames: pictures of frames kBase - kSlotsBefore on, each
  // region's refreshes timed as its truth says.
  static std::vector<cv::Mat> Clip(const ClipCase& c) {
    std::vector<std::unique_ptr<hostkit::HostInstance>> hosts;
    for (int o = 0; o < kOutputs; ++o) {
      hosts.push_back(std::make_unique<hostkit::HostInstance>(Plugin(), kOutputWidth, kOutputHeight));
      hosts.back()->Set(kSyncRegionCodes, 1.0f);
      hosts.back()->Set(kSyncOutputNumber, static_cast<float>(o));
    }
    const RegionGrid grid = ComputeRegionGrid(kOutputWidth, kOutputHeight, kDefaultRegionColumns, kDefaultRegionRows,
                                              kDefaultRegionCellSize);
    cv::Mat regions(kOutputHeight, kOutputWidth * kOutputs, CV_8UC1, cv::Scalar(255));
    const int slots = static_cast<int>(kClipFrames / c.video.fps * 1000 / kWallFrameMs) + 2 * kSlotsBefore;
    std::vector<std::vector<ShownFrom>> shown;
    for (int o = 0; o < kOutputs; ++o)
      for (int i = 0; i < kRegionsPerOutput; ++i) {
        const shapes::Rect r = grid.places[static_cast<std::size_t>(i)].region;
        regions(cv::Rect(o * kOutputWidth + r.x0, r.y0, r.Width(), r.Height())) = cv::Scalar(static_cast<double>(shown.size()));
        Truth truth{static_cast<unsigned>(o), i};
        for (const Truth& t : c.truths)
          if (t.output == truth.output && t.region == i) truth = t;
        std::vector<ShownFrom> timeline;
        for (int m = -kSlotsBefore; m < slots; ++m) {
          const double onTime = m * kWallFrameMs;
          const int frame = m + kSlotsBefore + (truth.dropAt >= 0 && m >= truth.dropAt) -
                            (truth.repeatAt >= 0 && m >= truth.repeatAt);
          timeline.push_back({onTime - truth.offsetMs - truth.driftMsPerS * onTime / 1000, frame});
        }
        shown.push_back(timeline);
      }
    std::vector<cv::Mat> pictures;
    for (int n = 0; n < slots + kSlotsBefore + 2; ++n) pictures.push_back(WallAt(hosts, kBase - kSlotsBefore + static_cast<std::uint64_t>(n)));
    return CameraClip(pictures, regions, shown, c.video, kClipFrames);
  }

  // `frames` as an H.264 file at `fps` in `pixelFormat`.
  static void WriteVideo(const std::vector<cv::Mat>& frames, double fps, const std::string& path,
                         const std::string& pixelFormat, int rotateTag, bool fastStart) {
    const std::string command = std::string(VELTRIMA_FFMPEG) + " -v error -y -f rawvideo -pix_fmt gray -s " +
                                std::to_string(frames[0].cols) + "x" + std::to_string(frames[0].rows) + " -r " +
                                std::to_string(fps) + " -i - -c:v libx264 -preset ultrafast -qp 8 -pix_fmt " +
                                pixelFormat + (fastStart ? " -movflags +faststart '" : " '") + path + "'";
    FILE* pipe = popen(command.c_str(), "w");
    ASSERT_NE(pipe, nullptr);
    for (const cv::Mat& f : frames) std::fwrite(f.data, 1, f.total(), pipe);
    ASSERT_EQ(pclose(pipe), 0) << command;
    if (rotateTag == 90) TurnQuarterClockwise(path);
  }

  // The track header's display matrix set to show the frames turned a
  // quarter clockwise, as a phone held upright writes it (the ffmpeg we
  // write with sets no rotation).
  static void TurnQuarterClockwise(const std::string& path) {
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t header = all.find("tkhd");
    ASSERT_NE(header, std::string::npos);
    // Version 0: after the version, flags, times, track, duration, layer,
    // group and volume fields, nine big-endian words a b u c d v x y w.
    const unsigned char matrix[36] = {0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                      0, 0, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0};
    file.clear();
    file.seekp(static_cast<std::streamoff>(header + 4 + 40));
    file.write(reinterpret_cast<const char*>(matrix), sizeof matrix);
    ASSERT_TRUE(file.good());
  }
};

const RegionVerdict* Find(const WallVerdict& v, unsigned output, int region) {
  for (const RegionVerdict& r : v.regions)
    if (r.region.code.identity.output == output && static_cast<int>(r.region.code.identity.region) == region)
      return &r;
  return nullptr;
}

TEST_F(SyncWallClip, EveryRegionsMillisecondsDriftAndFramesFromOneClip) {
  VideoCamera base;
  base.camera.width = 1280;
  base.camera.height = 720;
  base.camera.cellPixels = 5;
  base.camera.noiseSigma = 1.5;
  const auto with = [](VideoCamera v, auto change) {
    change(v);
    return v;
  };
  const ClipCase cases[] = {
      {"in step, 4 ms readout top to bottom", with(base, [](VideoCamera& v) { v.readoutMs = 4; }), {}},
      {"late by 5.5 ms and by a frame and 3 ms, 30 ms readout bottom to top, 20 degrees off axis",
       with(base, [](VideoCamera& v) { v.readoutMs = -30; v.camera.yawDegrees = 20; }),
       {{1, 2, -5.5}, {2, 6, -(kWallFrameMs + 3)}},
       "yuv420p",
       0,
       true},
      {"drifting 4 ms/s, another 2.5 ms early, refresh banding at 3840 Hz, 10 ms readout, 10 bits",
       with(base, [](VideoCamera& v) { v.readoutMs = 10; v.bandingHz = 3840; v.bandingDepth = 0.6; }),
       {{0, 3, 0, 4}, {2, 1, 2.5}},
       "yuv420p10le"},
      {"a frame repeated and one dropped, 2.4 ms readout, the phone's rotation tag at 90 degrees",
       with(base, [](VideoCamera& v) { v.readoutMs = 2.4; }),
       {{1, 5, 0, 0, 10, 30}},
       "yuv420p",
       90},
  };
  ScratchFolder folder("sync-wall-clip");
  for (const ClipCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (folder.Path() / "clip.mp4").string();
    WriteVideo(Clip(c), c.video.fps, path, c.pixelFormat, c.rotateTag, true);
    const double lineUs = c.video.readoutMs * 1000 / (c.video.camera.height - 1);
    // The line time fitted, then given as the camera's own.
    for (const std::optional<double> given : {std::optional<double>(), std::optional<double>(lineUs)}) {
      if (given && !c.lineTimeGiven) continue;
      SCOPED_TRACE(given ? "line time given" : "line time fitted");
      const WallClip clip = ReadWallClip(path, {std::nullopt, given});
      ASSERT_EQ(clip.error, "");
      const WallVerdict& v = clip.verdict;
      ASSERT_EQ(v.regions.size(), static_cast<std::size_t>(kOutputs * kRegionsPerOutput));
      ASSERT_TRUE(v.lineTimeUs.has_value());
      EXPECT_NEAR(*v.lineTimeUs, lineUs, 0.1 * std::abs(lineUs) + 0.3);
      EXPECT_NEAR(v.frameMs, kWallFrameMs, 0.05);
      const cv::Size upright = c.rotateTag % 180 ? cv::Size(c.video.camera.height, c.video.camera.width)
                                                 : cv::Size(c.video.camera.width, c.video.camera.height);
      EXPECT_EQ(clip.firstFrame.size(), upright);
      for (unsigned o = 0; o < kOutputs; ++o)
        for (int i = 0; i < kRegionsPerOutput; ++i) {
          Truth truth{o, i};
          for (const Truth& t : c.truths)
            if (t.output == o && t.region == i) truth = t;
          const RegionVerdict* r = Find(v, o, i);
          ASSERT_NE(r, nullptr) << o << "." << i;
          ASSERT_TRUE(r->timing.has_value()) << o << "." << i;
          const std::string where = std::to_string(o) + "." + std::to_string(i);
          for (const cv::Point2f& p : r->region.box)
            EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x < static_cast<float>(upright.width) &&
                        p.y < static_cast<float>(upright.height))
                << where;
          EXPECT_EQ(r->timing->dropped, truth.dropAt >= 0 ? 1 : 0) << where;
          EXPECT_EQ(r->timing->repeated, truth.repeatAt >= 0 ? 1 : 0) << where;
          if (truth.dropAt >= 0 || truth.repeatAt >= 0) continue;  // a frame late between them: no one offset
          EXPECT_NEAR(r->timing->offsetMs, truth.offsetMs, 1.0) << where;
          EXPECT_NEAR(r->timing->driftMsPerS, truth.driftMsPerS, 1.0) << where;
          EXPECT_EQ(r->offsetFrames, static_cast<int>(std::lround(truth.offsetMs / kWallFrameMs))) << where;
        }
    }
  }
}

TEST_F(SyncWallClip, TheCommandAnswersAClipAndRefusesOneCutShort) {
  ScratchFolder folder("sync-wall-clip");
  VideoCamera video;
  video.camera.width = 1280;
  video.camera.height = 720;
  video.camera.cellPixels = 5;
  video.readoutMs = 8;
  const std::vector<cv::Mat> frames = Clip({"late", video, {{2, 3, -4}}});
  const std::string late = (folder.Path() / "late.mp4").string(), json = (folder.Path() / "late.json").string();
  const std::string moovLast = (folder.Path() / "moov-last.mp4").string();
  const std::string picture = (folder.Path() / "late.png").string();
  WriteVideo(frames, video.fps, late, "yuv420p", 0, true);
  WriteVideo(frames, video.fps, moovLast, "yuv420p", 0, false);
  // Each file cut to its first 60%: the index at the front lists frames
  // that are not there; the index at the end is gone.
  std::vector<std::string> cut;
  for (const std::string& whole : {late, moovLast}) {
    std::ifstream in(whole, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    cut.push_back(whole + ".cut.mp4");
    std::ofstream(cut.back(), std::ios::binary) << all.substr(0, all.size() * 6 / 10);
  }
  const struct {
    std::string clip, json;
    int exit;
  } cases[] = {{late, json, kWallOff}, {cut[0], "", kWallUnread}, {cut[1], "", kWallUnread}};
  for (const auto& c : cases)
    EXPECT_EQ(RunWall({c.clip, c.json, c.json.empty() ? "" : picture, std::nullopt, std::nullopt}), c.exit) << c.clip;
  // The late region outlined red in the clip's first frame, 4 ms being
  // less than a frame; the others green.
  const cv::Mat drawn = cv::imread(picture, cv::IMREAD_COLOR);
  ASSERT_EQ(drawn.size(), frames[0].size());
  const WallClip clip = ReadWallClip(late, {});
  for (const RegionVerdict& v : clip.verdict.regions) {
    const cv::Point2f middle = (v.region.box[0] + v.region.box[1]) / 2;
    const cv::Vec3b bgr = drawn.at<cv::Vec3b>(cvRound(middle.y), cvRound(middle.x));
    const bool late4 = v.region.code.identity.output == 2 && v.region.code.identity.region == 3;
    EXPECT_GT(late4 ? bgr[2] : bgr[1], (late4 ? bgr[1] : bgr[2]) + 80) << v.region.code.identity.region;
  }
  std::ifstream in(json);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* null : {"\"offset_ms\": null", "\"drift_ms_per_s\": null", "\"dropped\": null",
                           "\"repeated\": null", "\"line_time_us\": null"})
    EXPECT_EQ(text.find(null), std::string::npos) << null;
}

}  // namespace
