// The picture kept from frame to frame against drawing every frame: with
// the plug-in's code linked in, two instances draw the same layout, one
// copying its kept picture and one drawing its figures each frame, and every
// frame of the two must match pixel for pixel — in a viewport away from the
// framebuffer's corner, after a parameter change, after the file is set
// again, and after a resize.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "LinkedMap.h"
#include "map/OVNVeltrimaMap.h"
#include "map/Parameters.h"

namespace {

struct Step {
  const char* what;
  FFUInt32 parameter;  // kMapParamCount: no parameter change
  float value;
  bool setFileAgain;
  hostkit::Viewport resize;  // width 0: no resize
};

TEST(MapCache, KeptPictureEqualsDrawingEveryFrame) {
  LinkedMapContext();
  const std::string file = std::string(VELTRIMA_MAP_LAYOUTS) + "/mixed.csv";
  // A 1000 x 600 target with the output at (17, 23): the copy must land in
  // the viewport, not in the corner.
  const hostkit::Viewport viewport{17, 23, 960, 540};
  hostkit::HostInstance kept(LinkedMap(), 1000, 600, viewport);
  hostkit::HostInstance drawn(LinkedMap(), 1000, 600, viewport);
  static_cast<OVNVeltrimaMap*>(drawn.Id())->UseFrameCache(false);
  for (auto* host : {&kept, &drawn})
    ASSERT_EQ(LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str()), FF_SUCCESS);

  const Step steps[] = {
      {"first frame", kMapParamCount, 0, false, {0, 0, 0, 0}},
      {"second frame (copied)", kMapParamCount, 0, false, {0, 0, 0, 0}},
      {"after a line width change", kMapLineWidth, 5, false, {0, 0, 0, 0}},
      {"after the file is set again", kMapParamCount, 0, true, {0, 0, 0, 0}},
      {"after a resize", kMapParamCount, 0, false, {5, 7, 640, 360}},
  };
  for (const Step& step : steps) {
    for (auto* host : {&kept, &drawn}) {
      if (step.parameter < kMapParamCount) host->Set(step.parameter, step.value);
      if (step.setFileAgain) LinkedMap().SetTextParameter(host->Id(), kMapFile, file.c_str());
      if (step.resize.width > 0) {
        ASSERT_EQ(host->Resize(step.resize), FF_SUCCESS);
      }
      ASSERT_EQ(host->RunFrames(1), FF_SUCCESS) << step.what;
    }
    // The whole target, inside the viewport and around it.
    const std::vector<float> a = kept.Target().ReadWholeTarget();
    const std::vector<float> b = drawn.Target().ReadWholeTarget();
    ASSERT_EQ(a.size(), b.size());
    std::size_t differing = 0, first = a.size();
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i] != b[i] && differing++ == 0) first = i;
    EXPECT_EQ(differing, 0u) << step.what << ": first difference at float " << first;
  }
}

}  // namespace
