// The MAP plug-in on a live show, with its code linked in (for the reader's
// and the composer's test seams): a path that is no regular file is refused
// at once, writer or not; a read that stalls holds no host call or frame and
// shows "LOADING <FILE>" over the last picture until the layout comes; a
// read that ends between frames is composed off the frame; an instance
// destroyed mid-read leaves no thread or descriptor behind.
//
// The bound on a call is far above a frame's time on a loaded machine and far
// below the 2 s a stalled read or a late writer takes, so a call that waits
// for either fails it.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BadFiles.h"
#include "LinkedMap.h"
#include "PixelProbe.h"
#include "map/CabinetDrawing.h"
#include "map/LayoutLoader.h"
#include "map/MapFrame.h"
#include "map/OVNVeltrimaMap.h"
#include "map/Parameters.h"
#include "map/ScreenPlan.h"
#include "map/layout/LayoutFile.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kBound = std::chrono::milliseconds(500);
constexpr auto kStall = std::chrono::seconds(2);
constexpr int kWidth = 960, kHeight = 540;

const std::string& GoodLayout() {
  static const std::string path = std::string(VELTRIMA_MAP_LAYOUTS) + "/mixed.csv";
  return path;
}

OVNVeltrimaMap& Map(hostkit::HostInstance& host) {
  return *static_cast<OVNVeltrimaMap*>(host.Id());
}

// The time one call takes.
template <typename Call>
Clock::duration Timed(Call call) {
  const Clock::time_point start = Clock::now();
  call();
  return Clock::now() - start;
}

bool Shows(const hostkit::HostInstance& map, const std::string& part) {
  for (const ScreenText& t : TextsOf(map))
    if (t.text.find(part) != std::string::npos) return true;
  return false;
}

int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (readdir(dir)) ++count;
    closedir(dir);
  }
  return count;
}

// Every test starts from a warm instance showing a good layout (its
// programs built), and leaves the reader's seam as it found it.
class MapLive : public ::testing::Test {
 protected:
  void SetUp() override {
    LinkedMapContext();
    map_ = std::make_unique<hostkit::HostInstance>(LinkedMap(), kWidth, kHeight);
    ASSERT_EQ(LinkedMap().SetTextParameter(map_->Id(), kMapFile, GoodLayout().c_str()), FF_SUCCESS);
    ASSERT_EQ(map_->RunFrames(1), FF_SUCCESS);
    ASSERT_TRUE(Shows(*map_, "MIXED.CSV"));
  }
  void TearDown() override {
    LayoutLoader::SetReadDelayForTests(std::chrono::milliseconds(0));
    OVNVeltrimaMap::SetThreadedComposeDelayForTests(std::chrono::milliseconds(0));
  }

  std::unique_ptr<hostkit::HostInstance> map_;
};

TEST_F(MapLive, APipeIsRefusedWithinAFrameWhetherAWriterComesOrNot) {
  for (const bool writerComes : {false, true}) {
    const std::string path = (Temp().Path() / (writerComes ? "late.csv" : "silent.csv")).string();
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
    std::thread writer;
    if (writerComes)
      writer = std::thread([path] {
        std::this_thread::sleep_for(kStall);
        // Without waiting for a reader: the plug-in has none open.
        const int fd = open(path.c_str(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) close(fd);
      });
    const auto took = Timed([&] {
      EXPECT_EQ(LinkedMap().SetTextParameter(map_->Id(), kMapFile, path.c_str()), FF_SUCCESS);
      EXPECT_EQ(map_->RunFrames(1), FF_SUCCESS);
    });
    EXPECT_LT(took, kBound) << path;
    EXPECT_TRUE(Shows(*map_, "NOT A REGULAR FILE")) << path;
    EXPECT_FALSE(Map(*map_).Updating());
    if (writer.joinable()) writer.join();
  }
}

TEST_F(MapLive, AStalledReadHoldsNoCallAndShowsLoadingOverTheLastPicture) {
  const Pixels before = ReadPixels(map_->Target());
  LayoutLoader::SetReadDelayForTests(kStall);
  const std::string xml = std::string(VELTRIMA_MAP_LAYOUTS) + "/screens.xml";
  const Clock::time_point start = Clock::now();
  EXPECT_LT(Timed([&] {
              LinkedMap().SetTextParameter(map_->Id(), kMapFile, xml.c_str());
            }),
            kBound);
  // The cabinets of the picture under the line: the line may change no
  // border pixel and keeps within one cabinet's inside or out of all of them.
  const layout::Result<layout::Layout> shown = layout::LoadLayoutFile(GoodLayout());
  ASSERT_TRUE(shown.ok());
  const ScreenPlan plan = PlanScreen(shown.value(), 1);
  int frames = 0;
  bool sawLine = false;
  Clock::duration slowest{};
  while (Map(*map_).Source().Loading() && Clock::now() - start < 4 * kStall) {
    slowest = std::max(slowest, Timed([&] { EXPECT_EQ(map_->RunFrames(1), FF_SUCCESS); }));
    ++frames;
    if (!Map(*map_).Source().Loading()) break;  // the frame took the read
    const FFMixed display = LinkedMap().GetParameterDisplay(map_->Id(), kMapFile);
    EXPECT_STREQ(static_cast<const char*>(display.PointerValue), "LOADING");
    // The line is placed off the frame: it shows a frame or so after the
    // set call. Then the last picture around it, the line white on black.
    const Pixels loading = ReadPixels(map_->Target());
    shapes::Rect changed{kWidth, kHeight, 0, 0};
    int white = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        if (loading.At(x, y) == before.At(x, y)) continue;
        changed = {std::min(changed.x0, x), std::min(changed.y0, y), std::max(changed.x1, x + 1),
                   std::max(changed.y1, y + 1)};
        white += loading.At(x, y) == Rgba{1, 1, 1, 1};
      }
    if (!sawLine && !changed.Empty()) {
      sawLine = true;
      for (const shapes::Rect& r : plan.rects) {
        const shapes::Rect in = InnerRect(r, 2);
        const bool inside = changed.x0 >= in.x0 && changed.y0 >= in.y0 && changed.x1 <= in.x1 &&
                            changed.y1 <= in.y1;
        EXPECT_TRUE(inside || !changed.Overlaps(r))
            << "the loading line crosses the border of a cabinet at " << r.x0 << "," << r.y0;
      }
      EXPECT_GT(white, 0) << "the loading line's text";
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(sawLine) << "the loading line is shown";
  EXPECT_GE(Clock::now() - start, kStall) << "the seam should have stalled the read";
  EXPECT_GT(frames, 10);
  EXPECT_LT(slowest, kBound);
  ASSERT_TRUE(Settle(*map_));
  EXPECT_TRUE(Shows(*map_, "SCREENS.XML")) << "the layout once read";
}

// A composition that takes 2 s (the composer's seam) after a read that ended
// between frames: every frame meanwhile shows the last picture unchanged,
// quickly; a screen chosen meanwhile is composed in its set call and is what
// shows once the stale composition has ended.
TEST_F(MapLive, AReadThatEndsBetweenFramesIsComposedOffTheFrame) {
  const std::vector<float> before = map_->Target().ReadOutput();
  // Past the set call's wait, so that the read ends between frames.
  LayoutLoader::SetReadDelayForTests(std::chrono::milliseconds(4 * OVNVeltrimaMap::kReadSettleMs));
  OVNVeltrimaMap::SetThreadedComposeDelayForTests(kStall);
  const std::string xml = std::string(VELTRIMA_MAP_LAYOUTS) + "/screens.xml";
  ASSERT_EQ(LinkedMap().SetTextParameter(map_->Id(), kMapFile, xml.c_str()), FF_SUCCESS);
  ASSERT_TRUE(Map(*map_).Source().Loading()) << "the read should outlast the set call";
  // The start of the frame that took the ended read (and started composing).
  Clock::time_point readEnded;
  while (Map(*map_).Source().Loading()) {
    readEnded = Clock::now();
    ASSERT_EQ(map_->RunFrames(1), FF_SUCCESS);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  int frames = 0;
  Clock::duration slowest{};
  // Frames while the composition is held (it cannot end before kStall).
  while (frames < 5 && Clock::now() - readEnded < std::chrono::milliseconds(1500)) {
    slowest = std::max(slowest, Timed([&] { EXPECT_EQ(map_->RunFrames(1), FF_SUCCESS); }));
    ++frames;
    EXPECT_TRUE(map_->Target().ReadOutput() == before) << "frame " << frames;
    const FFMixed display = LinkedMap().GetParameterDisplay(map_->Id(), kMapFile);
    EXPECT_STREQ(static_cast<const char*>(display.PointerValue), "UPDATING");
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_GE(frames, 3);
  EXPECT_LT(slowest, kBound);
  // Chosen while the composition of screen 1 is still under way.
  EXPECT_LT(Timed([&] { map_->Set(kMapScreen, 2.0f); }), kBound);
  ASSERT_TRUE(Settle(*map_));
  EXPECT_GE(Clock::now() - readEnded, kStall) << "settled only once the stale composition ended";
  EXPECT_TRUE(Shows(*map_, "SCREENS.XML")) << "the layout once read";
  EXPECT_TRUE(Shows(*map_, "SCREEN 2")) << "the screen chosen last, not the stale composition's";
}

// A value automated every frame on a large map (composed off the frame)
// while each composition takes longer than a frame: the picture follows the
// automation, a composition behind, instead of dropping every result that
// the next value has already made stale.
TEST_F(MapLive, AValueAutomatedEveryFrameStillReachesThePicture) {
  std::string csv = "id,x,y,w,h\n";
  for (int row = 0; row < 12; ++row)
    for (int column = 0; column < 20; ++column)
      csv += "C" + std::to_string(row * 20 + column) + "," + std::to_string(column * 48) + "," +
             std::to_string(row * 45) + ",48,45\n";
  const std::string file = Temp().Write("automated.csv", csv);
  ASSERT_EQ(LinkedMap().SetTextParameter(map_->Id(), kMapFile, file.c_str()), FF_SUCCESS);
  ASSERT_TRUE(Settle(*map_));
  const std::size_t compositions = Map(*map_).Compositions();
  OVNVeltrimaMap::SetThreadedComposeDelayForTests(std::chrono::milliseconds(50));
  for (int frame = 0; frame < 60; ++frame) {
    map_->Set(kMapLineWidth, static_cast<float>(2 + frame % 3));
    ASSERT_EQ(map_->RunFrames(1), FF_SUCCESS);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_GT(Map(*map_).Compositions(), compositions + 2)
      << "compositions reached the picture while the value moved";
  OVNVeltrimaMap::SetThreadedComposeDelayForTests(std::chrono::milliseconds(0));
  ASSERT_TRUE(Settle(*map_));
}

TEST_F(MapLive, AnInstanceDestroyedMidReadLeavesNoThreadOrDescriptor) {
  const int descriptors = OpenDescriptors();
  LayoutLoader::SetReadDelayForTests(kStall);
  ASSERT_EQ(LinkedMap().SetTextParameter(map_->Id(), kMapFile, GoodLayout().c_str()), FF_SUCCESS);
  ASSERT_TRUE(Map(*map_).Source().Loading());
  EXPECT_EQ(OpenDescriptors(), descriptors + 1) << "the file being read";
  EXPECT_EQ(LayoutLoader::RunningThreadsForTests(), 1);
  EXPECT_LT(Timed([&] { map_.reset(); }), kBound);
  EXPECT_EQ(LayoutLoader::RunningThreadsForTests(), 0);
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

}  // namespace
