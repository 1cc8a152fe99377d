// The client against the real calibration programs from Debian: DisplayCAL's
// own Resolve server and ArgyllCMS's dispwin with its web display. Each is
// skipped where its program is not there (scripts/setup.sh installs argyll;
// the Calibration.FetchDisplayCal fixture unpacks DisplayCAL).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <future>
#include <string>
#include <vector>

#include "ClientDriver.h"
#include "TestServer.h"
#include "calibration/TcpConnection.h"

using namespace calibration;
using namespace calibration_test;

namespace {

bool Exists(const std::string& path) {
  struct stat info;
  return !path.empty() && stat(path.c_str(), &info) == 0;
}

// A fraction written with four decimals, as DisplayCAL sends it, held as
// ten-thousandths so the expected pixel edge is pure integer arithmetic.
struct Tenths4 {
  int value;
  std::string Text() const {
    char text[16];
    std::snprintf(text, sizeof text, "%d.%04d", value / 10000, value % 10000);
    return text;
  }
  int EdgeAt(int size) const { return (value * size + 5000) / 10000; }
};

}  // namespace

TEST(CalibrationPrograms, DisplayCalResolveServerPatchesReachTheSceneExactly) {
  if (!Exists(VELTRIMA_PYTHON3) || !Exists(VELTRIMA_DISPLAYCAL_PACKAGES)) {
    GTEST_SKIP() << "Debian's python3 or the unpacked DisplayCAL is missing";
  }
  const uint16_t port = UnusedPort();
  const std::string command = std::string(VELTRIMA_PYTHON3) + " " + VELTRIMA_DISPLAYCAL_SERVER +
                              " " + VELTRIMA_DISPLAYCAL_PACKAGES + " " + std::to_string(port) +
                              " >/dev/null 2>&1";
  FILE* server = popen(command.c_str(), "w");
  ASSERT_NE(server, nullptr);

  ClientDriver driver;
  driver.realTime = true;
  const std::string address = "127.0.0.1:" + std::to_string(port);
  driver.client.Configure(PatchSource::Resolve, address, 2);
  ASSERT_TRUE(driver.FramesUntil(
      [&] { return driver.client.StatusLine() == "CONNECTED TO " + address; }, 20000))
      << driver.client.StatusLine();

  const int kPatches = 60;
  for (int i = 0; i < kPatches; ++i) {
    const int colour[3] = {(i * 97 + 5) % 1024, (i * 389 + 1000) % 1024, (1023 - i * 17) % 1024};
    const int background[3] = {(i * 13) % 1024, 64 + i, (i * 250) % 1024};
    const Tenths4 x{(i % 10) * 500}, y{(i % 7) * 700}, cx{1234 + (i % 5) * 1000}, cy{2500 + i * 37};
    char line[160];
    std::snprintf(line, sizeof line, "%d %d %d %d %d %d %s %s %s %s\n", colour[0], colour[1],
                  colour[2], background[0], background[1], background[2], x.Text().c_str(),
                  y.Text().c_str(), cx.Text().c_str(), cy.Text().c_str());
    std::fputs(line, server);
    std::fflush(server);
    const uint64_t before = driver.client.PatchCount();
    ASSERT_TRUE(driver.FramesUntil([&] { return driver.client.PatchCount() != before; }, 20000))
        << "patch " << i << " never arrived: " << driver.client.StatusLine();

    const PatchScene& scene = driver.client.Scene();
    EXPECT_EQ(scene.background, (SentCodes{static_cast<uint16_t>(background[0]),
                                           static_cast<uint16_t>(background[1]),
                                           static_cast<uint16_t>(background[2]), 10}))
        << "patch " << i;
    ASSERT_EQ(scene.rectangles.size(), 1u);
    EXPECT_EQ(scene.rectangles[0].colour,
              (SentCodes{static_cast<uint16_t>(colour[0]), static_cast<uint16_t>(colour[1]),
                         static_cast<uint16_t>(colour[2]), 10}))
        << "patch " << i;
    for (const auto& [width, height] : {std::pair{1920, 1080}, std::pair{3840, 2160}}) {
      const Tenths4 right{x.value + cx.value}, bottom{y.value + cy.value};
      EXPECT_EQ(EdgesAt(scene.rectangles[0].geometry, width, height),
                (PixelRect{x.EdgeAt(width), y.EdgeAt(height), right.EdgeAt(width), bottom.EdgeAt(height)}))
          << "patch " << i << " at " << width << "x" << height;
    }
  }
  EXPECT_EQ(driver.client.PatchCount(), static_cast<uint64_t>(kPatches));
  pclose(server);
}

TEST(CalibrationPrograms, DispwinWebColoursArriveInOrderInLockStep) {
  if (!Exists(VELTRIMA_DISPWIN)) GTEST_SKIP() << "dispwin (Debian's argyll) is missing";
  const std::vector<std::array<int, 3>> colours = {
      {255, 128, 0}, {0, 0, 255}, {17, 34, 51}, {254, 1, 200}, {0, 0, 0}, {255, 255, 255}};
  const uint16_t port = UnusedPort();
  std::string command = std::string(VELTRIMA_DISPWIN) + " -dweb:" + std::to_string(port);
  for (const auto& c : colours) {
    char option[64];
    std::snprintf(option, sizeof option, " -C %.6f,%.6f,%.6f", c[0] / 255.0, c[1] / 255.0,
                  c[2] / 255.0);
    command += option;
  }
  command += " >/dev/null 2>&1";
  std::future<int> dispwin = std::async(std::launch::async, [&] { return std::system(command.c_str()); });

  ClientDriver driver;
  driver.realTime = true;
  driver.client.Configure(PatchSource::ArgyllWeb, "127.0.0.1:" + std::to_string(port), 2);
  std::vector<SentCodes> seen;
  uint64_t count = 0;
  driver.FramesUntil(
      [&] {
        if (driver.client.PatchCount() != count) {
          count = driver.client.PatchCount();
          seen.push_back(driver.client.Scene().background);
        }
        return dispwin.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
      },
      90000);
  ASSERT_EQ(dispwin.wait_for(std::chrono::seconds(10)), std::future_status::ready)
      << "dispwin did not finish; colours seen: " << seen.size() << ", " << driver.client.StatusLine();
  const int status = dispwin.get();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "dispwin status " << status;

  std::vector<SentCodes> expected;
  for (const auto& c : colours) {
    expected.push_back({static_cast<uint16_t>(c[0]), static_cast<uint16_t>(c[1]),
                        static_cast<uint16_t>(c[2]), 8});
  }
  // dispwin may answer a poll with the colour it already shows; what counts
  // is that every colour arrived, in order, with nothing else between.
  std::vector<SentCodes> distinct;
  for (const SentCodes& codes : seen) {
    if (distinct.empty() || distinct.back() != codes) distinct.push_back(codes);
  }
  EXPECT_EQ(distinct, expected);
}
