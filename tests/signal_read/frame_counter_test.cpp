// The frame counter's verdict on counter sequences as a capture reads them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/signal-read/FrameCounter.h"

namespace {

struct Case {
  const char* what;
  std::vector<int> counters;
  int dropped, repeated, outOfOrder;
};

const Case kCases[] = {
    {"nothing read", {}, 0, 0, 0},
    {"one frame", {7}, 0, 0, 0},
    {"in order", {0, 1, 2, 3}, 0, 0, 0},
    {"one dropped", {0, 2, 3}, 1, 0, 0},
    {"three dropped in two gaps", {10, 12, 15}, 3, 0, 0},
    {"one repeated", {0, 1, 1, 2}, 0, 1, 0},
    {"repeated twice over", {4, 4, 4}, 0, 2, 0},
    {"two swapped drop nothing", {0, 2, 1, 3}, 0, 0, 1},
    {"a late frame after two", {0, 2, 3, 1, 4}, 0, 0, 1},
    {"backwards from the start", {5, 4, 3}, 0, 0, 2},
    {"through the wrap", {65534, 65535, 0, 1}, 0, 0, 0},
    {"dropped across the wrap", {65534, 1}, 2, 0, 0},
    {"swapped across the wrap", {65535, 1, 0, 2}, 0, 0, 1},
    {"repeat and drop", {0, 0, 2}, 1, 1, 0},
    {"a late repeat of an earlier frame", {0, 1, 2, 1, 3}, 0, 0, 1},
};

TEST(FrameCounter, NamesEachKindOfStep) {
  for (const Case& c : kCases) {
    const FrameOrder order = CountFrameOrder(c.counters);
    EXPECT_EQ(order.dropped, c.dropped) << c.what;
    EXPECT_EQ(order.repeated, c.repeated) << c.what;
    EXPECT_EQ(order.outOfOrder, c.outOfOrder) << c.what;
  }
}

TEST(FrameCounter, FaultsCarryTheirNamesAndCounts) {
  std::vector<Fault> faults;
  CheckFrameOrder({0, 2, 2, 5, 3}, faults);
  std::vector<std::string> names;
  for (const Fault& f : faults) names.push_back(f.name + "=" + f.numbers["frames"].dump());
  EXPECT_EQ(names, (std::vector<std::string>{"frames-dropped=2", "frames-repeated=1", "frames-out-of-order=1"}));
  EXPECT_NE(faults.back().evidence.find("counter 3 after 5"), std::string::npos) << faults.back().evidence;
}

}  // namespace
