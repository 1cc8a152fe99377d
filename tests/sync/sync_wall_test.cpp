// One photo of a wall read back: walls composed from SYNC's own frames with
// "Region Codes" on (several outputs, each region shown at a known offset in
// frames, some caught in a frame change), put through a camera (CameraShot),
// read by veltrima-sync-read's wall reader. Every region is found and its
// offset reported exactly; none is invented; bad photos are refused.
#include <opencv2/imgcodecs.hpp>

#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "sync/RegionGrid.h"
#include "tests/ScratchFolder.h"
#include "tests/sync/CameraShot.h"
#include "tests/sync/SyncKit.h"
#include "tools/sync-read/WallCommand.h"
#include "tools/sync-read/WallPicture.h"
#include "tools/sync-read/WallReader.h"
#include "tools/sync-read/WallReport.h"

namespace {

constexpr int kOutputWidth = 640, kOutputHeight = 360, kOutputs = 3;
constexpr std::uint64_t kBase = 40000;  // the frame the wall is on
const RegionGrid& Grid() {
  static const RegionGrid grid = ComputeRegionGrid(kOutputWidth, kOutputHeight, kDefaultRegionColumns,
                                                   kDefaultRegionRows, kDefaultRegionCellSize);
  return grid;
}
constexpr int kRegionsPerOutput = kDefaultRegionColumns * kDefaultRegionRows;

struct Shown {
  unsigned output;
  int region;
  int offset;         // frames from kBase
  bool torn = false;  // top half at kBase + offset, bottom half one frame later
};

class SyncWall : public SyncSuite {
 protected:
  // Output `output`'s whole frame `frame`, as grey.
  static cv::Mat Frame(unsigned output, std::uint64_t frame) {
    hostkit::HostInstance host(Plugin(), kOutputWidth, kOutputHeight);
    host.Set(kSyncRegionCodes, 1.0f);
    host.Set(kSyncOutputNumber, static_cast<float>(output));
    Instance(host).StartCountingAt(frame);
    EXPECT_EQ(host.RunFrames(1), FF_SUCCESS);
    const auto rgba = synckit::ReadRegion(host.Target(), {0, 0, kOutputWidth, kOutputHeight});
    cv::Mat grey(kOutputHeight, kOutputWidth, CV_8UC1);
    for (int i = 0; i < kOutputWidth * kOutputHeight; ++i)
      grey.data[i] = rgba[static_cast<std::size_t>(i) * 4];
    return grey;
  }

  // The outputs side by side, every region at kBase but those in `shown`.
  static cv::Mat Wall(const std::vector<Shown>& shown) {
    cv::Mat wall(kOutputHeight, kOutputWidth * kOutputs, CV_8UC1);
    std::map<std::pair<unsigned, std::uint64_t>, cv::Mat> frames;
    auto frame = [&](unsigned output, std::uint64_t n) -> const cv::Mat& {
      auto& f = frames[{output, n}];
      if (f.empty()) f = Frame(output, n);
      return f;
    };
    for (unsigned o = 0; o < kOutputs; ++o) {
      cv::Mat target = wall(cv::Rect(static_cast<int>(o) * kOutputWidth, 0, kOutputWidth, kOutputHeight));
      frame(o, kBase).copyTo(target);
      for (const Shown& s : shown) {
        if (s.output != o) continue;
        const shapes::Rect r = Grid().places[static_cast<std::size_t>(s.region)].region;
        const std::uint64_t n = kBase + static_cast<std::uint64_t>(static_cast<std::int64_t>(s.offset));
        const cv::Rect whole(r.x0, r.y0, r.Width(), r.Height());
        frame(o, n)(whole).copyTo(target(whole));
        if (s.torn) {
          const cv::Rect bottom(r.x0, r.y0 + r.Height() / 2, r.Width(), r.Height() - r.Height() / 2);
          frame(o, n + 1)(bottom).copyTo(target(bottom));
        }
      }
    }
    return wall;
  }
};

std::string Describe(const RegionVerdict& v) {
  const RegionCodeReading& c = v.region.code;
  return std::to_string(c.identity.output) + "." + std::to_string(c.identity.region) + " frames " +
         std::to_string(c.firstFrame) + ".." + std::to_string(c.lastFrame) + " offset " +
         std::to_string(v.offsetFrames);
}

TEST_F(SyncWall, EveryRegionAndItsOffsetFromOnePhoto) {
  Camera square;
  const auto with = [](Camera c, auto change) {
    change(c);
    return c;
  };
  const struct {
    const char* name;
    Camera camera;
    std::vector<Shown> shown;
  } cases[] = {
      {"square on, in step", square, {}},
      {"output 1 a frame late, 30 degrees off axis, blur, noise, JPEG 80",
       with(square, [](Camera& c) { c.yawDegrees = 30; c.blurSigma = 0.8; c.noiseSigma = 3; c.jpegQuality = 80; }),
       {{1, 0, -1}, {1, 1, -1}, {1, 2, -1}, {1, 3, -1}, {1, 4, -1}, {1, 5, -1}, {1, 6, -1}, {1, 7, -1}}},
      {"one region two frames late, rolled 12 degrees, LED gaps, 4032x3024",
       with(square, [](Camera& c) { c.width = 4032; c.height = 3024; c.cellPixels = 12; c.rollDegrees = 12; c.ledPitch = 4; c.jpegQuality = 80; }),
       {{2, 5, -2}}},
      {"one region a frame early, 4 camera pixels per cell, JPEG 80",
       with(square, [](Camera& c) { c.cellPixels = 4; c.blurSigma = 0.5; c.noiseSigma = 2; c.jpegQuality = 80; }),
       {{0, 3, 1}}},
      {"a portrait photo, phone turned 90 degrees, 25 degrees off axis",
       with(square, [](Camera& c) { c.width = 1080; c.height = 1920; c.cellPixels = 4.5; c.rollDegrees = 90; c.yawDegrees = -25; c.jpegQuality = 80; }),
       {{1, 7, -1}, {0, 0, -3}}},
      {"frame changes caught in two regions, one late region beside them",
       with(square, [](Camera& c) { c.jpegQuality = 80; c.noiseSigma = 2; }),
       {{0, 1, 0, true}, {2, 6, -1, true}, {1, 2, -1}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const cv::Mat photo = CameraShot(Wall(c.shown), c.camera);
    const WallVerdict verdict = JudgeWall(ReadWall(photo), std::nullopt);
    ASSERT_TRUE(verdict.reference.has_value());
    EXPECT_EQ(*verdict.reference, static_cast<std::uint16_t>(kBase));
    EXPECT_EQ(static_cast<int>(verdict.regions.size()), kOutputs * kRegionsPerOutput);
    bool anyChange = false, anyOff = false;
    for (const RegionVerdict& v : verdict.regions) {
      const RegionCodeReading& code = v.region.code;
      int expectedOffset = 0;
      bool torn = false;
      for (const Shown& s : c.shown)
        if (s.output == code.identity.output && s.region == static_cast<int>(code.identity.region)) {
          // A region caught changing from the frame before the reference to
          // it is on time; one changing later than that is late.
          expectedOffset = s.torn ? (s.offset == 0 ? 0 : s.offset + 1) : s.offset;
          torn = s.torn;
        }
      EXPECT_EQ(v.offsetFrames, expectedOffset) << Describe(v);
      EXPECT_EQ(code.changeCaught, torn) << Describe(v);
      anyChange |= torn;
      anyOff |= expectedOffset != 0;
    }
    EXPECT_EQ(verdict.transitionCaught, anyChange);
    EXPECT_EQ(verdict.anyOff, anyOff);
  }
}

TEST_F(SyncWall, TheCommandAnswersItsExitStatusAndJson) {
  ScratchFolder folder("sync-wall");
  const std::string late = (folder.Path() / "late.jpg").string(), noWall = (folder.Path() / "no-wall.png").string();
  const std::string json = (folder.Path() / "late.json").string();
  cv::imwrite(late, CameraShot(Wall({{2, 5, -1}}), Camera{}), {cv::IMWRITE_JPEG_QUALITY, 80});
  cv::Mat noise(600, 800, CV_8UC1);
  cv::randu(noise, 0, 256);
  cv::imwrite(noWall, noise);
  // A JPEG whose header states 50,000 x 50,000 pixels, and nothing after it.
  const std::string huge = (folder.Path() / "huge.jpg").string();
  {
    const unsigned char bytes[] = {0xFF, 0xD8, 0xFF, 0xC0, 0x00, 0x11, 0x08, 0xC3, 0x50, 0xC3, 0x50,
                                   0x03, 0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01};
    std::ofstream(huge, std::ios::binary).write(reinterpret_cast<const char*>(bytes), sizeof bytes);
  }
  // The first half of a real photo.
  const std::string truncated = (folder.Path() / "truncated.jpg").string();
  {
    std::ifstream in(late, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(truncated, std::ios::binary) << all.substr(0, all.size() / 2);
  }
  const struct {
    std::string photo, json;
    std::optional<std::uint32_t> reference;
    int exit;
  } cases[] = {
      {late, json, std::nullopt, kWallOff},
      {late, "", 2u, kWallOff},  // output 2 as the reference: the others' regions are early
      {noWall, "", std::nullopt, kWallUnread},
      {huge, "", std::nullopt, kWallUnread},
      {truncated, "", std::nullopt, kWallUnread},
      {(folder.Path() / "missing.png").string(), "", std::nullopt, kWallUnread},
  };
  for (const auto& c : cases) EXPECT_EQ(RunWall({c.photo, c.json, "", c.reference, std::nullopt}), c.exit) << c.photo;
  std::ifstream in(json);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  for (const char* field : {"\"regions\"", "\"output\"", "\"region\"", "\"cabinet\"", "\"port\"", "\"frame\"",
                            "\"offset_frames\"", "\"offset_ms\"", "\"drift_ms_per_s\"", "\"dropped\"",
                            "\"repeated\"", "\"box\"", "\"reference\"", "\"line_time_us\"",
                            "\"transition_caught\""})
    EXPECT_NE(text.find(field), std::string::npos) << field;
  EXPECT_NE(text.find("\"offset_frames\": -1"), std::string::npos);
}

TEST_F(SyncWall, ThePictureOutlinesEveryRegionInItsOffsetsColour) {
  ScratchFolder folder("sync-wall");
  const std::string path = (folder.Path() / "wall.png").string();
  Camera camera;
  camera.yawDegrees = 20;
  const cv::Mat photo = CameraShot(Wall({{2, 5, -1}, {0, 3, 1}, {1, 6, 0, true}}), camera);
  const WallVerdict verdict = JudgeWall(ReadWall(photo), std::nullopt);
  ASSERT_EQ(WriteWallPicture(photo, verdict, path), "");
  const cv::Mat picture = cv::imread(path, cv::IMREAD_COLOR);
  ASSERT_EQ(picture.size(), photo.size());
  // The middle of each box's top edge: red late, blue early, green on time,
  // amber (red and green, no blue) caught in a frame change.
  ASSERT_EQ(verdict.regions.size(), static_cast<std::size_t>(kOutputs * kRegionsPerOutput));
  for (const RegionVerdict& v : verdict.regions) {
    const cv::Point2f middle = (v.region.box[0] + v.region.box[1]) / 2;
    const cv::Vec3b bgr = picture.at<cv::Vec3b>(cvRound(middle.y), cvRound(middle.x));
    const int b = bgr[0], g = bgr[1], r = bgr[2];
    const std::string seen = Describe(v) + ": B " + std::to_string(b) + " G " + std::to_string(g) +
                             " R " + std::to_string(r);
    if (v.offsetFrames < 0) {
      EXPECT_TRUE(r > g + 80 && r > b + 80) << seen;
    } else if (v.offsetFrames > 0) {
      EXPECT_TRUE(b > g + 80 && b > r + 80) << seen;
    } else if (v.region.code.changeCaught) {
      EXPECT_TRUE(r > b + 80 && g > b + 80) << seen;
    } else {
      EXPECT_TRUE(g > r + 80 && g > b + 80) << seen;
    }
  }
  // For the README's picture: VELTRIMA_WALL_PICTURE=docs/sync-wall.png.
  if (const char* keep = std::getenv("VELTRIMA_WALL_PICTURE")) cv::imwrite(keep, picture);
}

}  // namespace
