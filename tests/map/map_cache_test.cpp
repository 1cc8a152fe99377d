// The picture kept from frame to frame against drawing every frame: with
// the plug-in's code linked in, two instances draw the same layout, one
// copying its kept picture and one drawing its figures each frame, and every
// frame of the two must match pixel for pixel — in a viewport away from the
// framebuffer's corner, after a parameter change, after the file is set
// again, after a resize and through a fade (the brightness applied in the
// copy, within one 8-bit step, against composed into the figures). The
// host's framebuffer is 8-bit, as a show's is; a float one keeps a picture
// in its own format (checked apart).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "BadFiles.h"
#include "LinkedMap.h"
#include "map/LayoutLoader.h"
#include "map/OVNVeltrimaMap.h"
#include "map/Parameters.h"
#include "tests/HostDrawingStates.h"

namespace {

struct Step {
  const char* what;
  FFUInt32 parameter;  // kMapParamCount: no parameter change
  float value;
  bool setFileAgain;
  hostkit::Viewport resize;  // width 0: no resize
};

// The two whole targets (inside the viewport and around it) hold the same
// values, each within `tolerance` where one is given, or the first that
// differs is named: pixel, row and both values.
void ExpectSameTargets(const hostkit::HostInstance& kept, const hostkit::HostInstance& drawn,
                       const char* what, float tolerance = 0.0f) {
  const std::vector<float> a = kept.Target().ReadWholeTarget();
  const std::vector<float> b = drawn.Target().ReadWholeTarget();
  ASSERT_EQ(a.size(), b.size()) << what;
  std::size_t differing = 0, first = a.size();
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::fabs(a[i] - b[i]) > tolerance && differing++ == 0) first = i;
  const int width = kept.Target().Width();
  EXPECT_EQ(differing, 0u) << what << ": first difference at pixel " << first / 4 << " (row "
                           << first / 4 / static_cast<std::size_t>(width) << "), "
                           << (first < a.size() ? a[first] * 255 : 0) << " against "
                           << (first < b.size() ? b[first] * 255 : 0) << " of 255";
}

TEST(MapCache, KeptPictureEqualsDrawingEveryFrame) {
  LinkedMapContext();
  const std::string file = std::string(VELTRIMA_MAP_LAYOUTS) + "/mixed.csv";
  // A 1000 x 600 target with the output at (17, 23): the copy must land in
  // the viewport, not in the corner.
  const hostkit::Viewport viewport{17, 23, 960, 540};
  hostkit::HostInstance kept(LinkedMap(), 1000, 600, viewport, hostkit::PixelFormat::RGBA8);
  hostkit::HostInstance drawn(LinkedMap(), 1000, 600, viewport, hostkit::PixelFormat::RGBA8);
  static_cast<OVNVeltrimaMap*>(drawn.Id())->UseFrameCache(false);
  for (auto* host : {&kept, &drawn})
    ASSERT_EQ(LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str()), FF_SUCCESS);

  const Step steps[] = {
      {"first frame", kMapParamCount, 0, false, {0, 0, 0, 0}},
      {"second frame (copied)", kMapParamCount, 0, false, {0, 0, 0, 0}},
      {"after a line width change", kMapLineWidth, 5, false, {0, 0, 0, 0}},
      {"after the file is set again", kMapParamCount, 0, true, {0, 0, 0, 0}},
      {"after a resize", kMapParamCount, 0, false, {5, 7, 640, 360}},
      {"at brightness 0.5", kMapBrightness, 0.5f, false, {0, 0, 0, 0}},
      {"at brightness 0.13", kMapBrightness, 0.13f, false, {0, 0, 0, 0}},
      {"at brightness 0", kMapBrightness, 0.0f, false, {0, 0, 0, 0}},
  };
  for (const Step& step : steps) {
    for (auto* host : {&kept, &drawn}) {
      if (step.parameter < kMapParamCount) host->Set(step.parameter, step.value);
      if (step.setFileAgain) {
        LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str());
        // The read runs on its own thread; on a loaded machine it may outlast
        // the set call's short wait, and one instance would show LOADING.
        for (int ms = 0; LayoutLoader::RunningThreadsForTests() > 0 && ms < 5000; ++ms)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      if (step.resize.width > 0) {
        ASSERT_EQ(host->Resize(step.resize), FF_SUCCESS);
      }
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS) << step.what;
    }
    // These layouts are small enough to be drawn whole in the frame after a change.
    EXPECT_FALSE(static_cast<OVNVeltrimaMap*>(kept.Id())->Updating()) << step.what;
    EXPECT_EQ(static_cast<OVNVeltrimaMap*>(kept.Id())->KeptBytesPerPixel(), 4) << step.what;
    // A dimmed copy blends in the 8-bit framebuffer's own precision: one step.
    const bool dimmed = step.parameter == kMapBrightness && step.value < 1.0f;
    ExpectSameTargets(kept, drawn, step.what, dimmed ? 1.0f / 255.0f + 1e-6f : 0.0f);
  }
}

// A new picture is drawn a band per frame into the second kept picture while
// the last one keeps showing, never half-drawn. A wall whose figures cross
// the bands' edges every way (overlapping rows, a gap, turned cabinets,
// serpentine chains whose arrows run diagonally between rows), drawn band by
// band after each kind of change: every frame of the update shows the last
// picture unchanged (its figures composed on a thread of its own, not in the
// set call), and the new one, when it
// shows, equals the figures drawn whole.
TEST(MapCache, APictureDrawnInBandsEqualsOneDrawnWhole) {
  LinkedMapContext();
  std::string csv = "id,x,y,w,h,rot,port,chain\n";
  constexpr int kColumns = 20, kRows = 12;
  for (int row = 0; row < kRows; ++row)
    for (int i = 0; i < kColumns; ++i) {
      const int column = row % 2 == 0 ? i : kColumns - 1 - i;
      const int x = column * 48 + (column == kColumns / 2 ? 3 : 0);
      const int y = row * 45 - (row % 4 == 3 ? 11 : 0);
      csv += "C" + std::to_string(row) + "-" + std::to_string(column) + "," + std::to_string(x) +
             "," + std::to_string(y) + ",48,45," + (column % 4 == 3 ? "90" : "0") + "," +
             (row < kRows / 2 ? "1" : "2") + "," + std::to_string(row * kColumns + i + 1) + "\n";
    }
  const std::string file = Temp().Write("bands.csv", csv);
  hostkit::HostInstance kept(LinkedMap(), 960, 540, hostkit::PixelFormat::RGBA8);
  hostkit::HostInstance drawn(LinkedMap(), 960, 540, hostkit::PixelFormat::RGBA8);
  static_cast<OVNVeltrimaMap*>(drawn.Id())->UseFrameCache(false);
  auto& map = *static_cast<OVNVeltrimaMap*>(kept.Id());
  for (auto* host : {&kept, &drawn}) {
    ASSERT_EQ(LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str()), FF_SUCCESS);
    ASSERT_TRUE(Settle(*host));
  }
  ASSERT_EQ(kept.Target().ReadWholeTarget(), drawn.Target().ReadWholeTarget())
      << "the first picture, drawn whole";
  const Step changes[] = {
      {"a line width change", kMapLineWidth, 4, false, {0, 0, 0, 0}},
      {"the labels off", kMapShowLabels, 0, false, {0, 0, 0, 0}},
      {"the file set again", kMapParamCount, 0, true, {0, 0, 0, 0}},
  };
  for (const Step& change : changes) {
    const std::vector<float> last = kept.Target().ReadWholeTarget();
    const std::size_t compositions = map.Compositions();
    for (auto* host : {&kept, &drawn}) {
      if (change.parameter < kMapParamCount) {
        ASSERT_EQ(host->Set(change.parameter, change.value), FF_SUCCESS);
      }
      if (change.setFileAgain) {
        ASSERT_EQ(LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str()), FF_SUCCESS);
        for (int ms = 0; LayoutLoader::RunningThreadsForTests() > 0 && ms < 5000; ++ms)
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    }
    // A picture drawn band by band is composed on a thread of its own, not
    // in the host's set call.
    EXPECT_EQ(map.Compositions(), compositions) << change.what;
    int bandFrames = 0;
    while (map.Updating() && bandFrames < 1000) {
      ASSERT_EQ(kept.RunFrames(1), FF_SUCCESS);
      if (!map.Updating()) break;
      ++bandFrames;
      ASSERT_EQ(kept.Target().ReadWholeTarget(), last)
          << change.what << ": frame " << bandFrames << " of the bands";
    }
    EXPECT_GE(bandFrames, 4) << change.what << ": the new picture should take several bands";
    EXPECT_FALSE(map.Updating()) << change.what;
    ASSERT_EQ(drawn.RunFrames(1), FF_SUCCESS);
    ExpectSameTargets(kept, drawn, change.what);
  }
}

// Two instances showing the mixed layout at 320x180 on float hosts: one
// keeping its picture, one drawing its figures every frame.
struct FloatPair {
  static const hostkit::PluginLibrary& InContext() {
    LinkedMapContext();
    return LinkedMap();
  }
  FloatPair() {
    static_cast<OVNVeltrimaMap*>(drawn.Id())->UseFrameCache(false);
    const std::string file = std::string(VELTRIMA_MAP_LAYOUTS) + "/mixed.csv";
    for (auto* host : {&kept, &drawn})
      EXPECT_EQ(LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str()), FF_SUCCESS);
  }
  hostkit::HostInstance kept{InContext(), 320, 180};
  hostkit::HostInstance drawn{InContext(), 320, 180};
};

// A float framebuffer gets a picture in its own format (16 bytes a pixel for
// RGBA32F), so that its copy is a copy of memory: every frame, steady,
// dimmed or fading, equals drawing every frame exactly.
TEST(MapCache, AFloatHostKeepsAPictureInItsOwnFormat) {
  FloatPair pair;
  auto& [kept, drawn] = pair;
  for (const float brightness : {1.0f, 0.5f, 0.13f, 0.999f, 0.0f}) {
    const std::string what = "at brightness " + std::to_string(brightness);
    for (auto* host : {&kept, &drawn}) {
      host->Set(kMapBrightness, brightness);
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS) << what;
    }
    EXPECT_EQ(static_cast<OVNVeltrimaMap*>(kept.Id())->KeptBytesPerPixel(), 16) << what;
    ExpectSameTargets(kept, drawn, what.c_str());
  }
}

// Under a host's blending or colour mask every frame is drawn, as the kept
// picture's first frame is: a copy would skip them and make the later
// frames differ from it.
TEST(MapCache, UnderTheHostsBlendingOrMaskEveryFrameIsDrawn) {
  FloatPair pair;
  auto& [kept, drawn] = pair;
  for (const HostDrawingState& state : kHostDrawingStates)
    for (int frame = 0; frame < 3; ++frame) {
      const std::string what = std::string(state.name) + ", frame " + std::to_string(frame);
      for (auto* host : {&kept, &drawn}) {
        host->Target().Clear(0.25f, 0.5f, 0.75f, 0.5f);
        host->Target().Bind();
        state.set();
        const FFUInt32 result = host->RunFrames(1);
        ResetHostDrawingState();
        ASSERT_EQ(result, FF_SUCCESS) << what;
      }
      ExpectSameTargets(kept, drawn, what.c_str());
    }
}

}  // namespace
