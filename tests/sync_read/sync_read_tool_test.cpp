// veltrima-sync-read as a program: PNG files and a raw stream on standard
// input, text and CSV, and its exit statuses.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <fstream>

#include "framestamp/StampCode.h"
#include "imaging/PngFile.h"
#include "tests/sync_read/SyntheticFrames.h"

namespace {

constexpr int kWidth = 320, kHeight = 180;
// Frame numbers as a capture delivered them: 3 dropped, 4 twice, one frame
// without a code (-1).
const std::vector<int> kDelivered{0, 1, 2, 4, 4, 5, -1, 6};

struct Result {
  int status = -1;
  std::string out;
};

class SyncReadTool : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sync-read-tool-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::ofstream raw(dir_ + "/frames.rgba", std::ios::binary);
    for (std::size_t i = 0; i < kDelivered.size(); ++i) {
      GreyImage image = Blank(kWidth, kHeight, 0.3f);
      if (kDelivered[i] >= 0) {
        const auto frame = static_cast<std::uint32_t>(kDelivered[i]);
        DrawStrip(image, EncodeStamp({frame, 36'000'000 + frame * 20, 2}), 4);
      }
      const auto rgba = ToRgba8(image);
      const std::string png = dir_ + "/" + std::to_string(i) + ".png";
      WritePng(png, kWidth, kHeight, rgba.data());
      pngs_ += " '" + png + "'";
      raw.write(reinterpret_cast<const char*>(rgba.data()), static_cast<std::streamsize>(rgba.size()));
    }
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  // Standard output, and standard error when `withErrors`.
  static Result Run(const std::string& arguments, bool withErrors = false) {
    const std::string command = std::string(VELTRIMA_SYNC_READ_PATH) + " " + arguments +
                                (withErrors ? " 2>&1" : " 2>/dev/null");
    Result result;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    std::array<char, 4096> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
      result.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
  }

  std::string dir_, pngs_;
};

TEST_F(SyncReadTool, PngFilesGiveLinesAndSummary) {
  const Result result = Run(pngs_);
  EXPECT_EQ(result.status, 0) << result.out;
  for (const char* expected :
       {"     3          4  10:00:00.080  -                 2  STRIP  1 dropped before\n",
        "     4          4  10:00:00.080  -                 2  STRIP  repeat\n",
        "     6          -  -             -                 -  NONE   no strip found, no QR code\n",
        "  frames read:  8\n", "  decoded:      7 (7 STRIP, 0 QR)\n", "  dropped:      1\n",
        "  repeated:     1\n", "  out of order: 0\n", "  undecodable:  1\n"})
    EXPECT_NE(result.out.find(expected), std::string::npos) << expected << "in:\n" << result.out;
}

TEST_F(SyncReadTool, RawStreamAsCsvWithLatency) {
  const Result result = Run("--size 320x180 --csv --fps 50 < '" + dir_ + "/frames.rgba'");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out.rfind("index,frame,time,timecode,output,code,latency_ms,note,input\n", 0), 0u)
      << result.out;
  // Captured at 50 fps, shown 20 ms apart: the frame after the drop is
  // early by a frame, the repeat puts it back, the undecodable frame late.
  for (const char* row : {"\n3,4,10:00:00.080,,2,STRIP,-20.0,1 dropped before,frame 3\n",
                          "\n4,4,10:00:00.080,,2,STRIP,0.0,repeat,frame 4\n",
                          "\n6,,,,,NONE,,\"no strip found, no QR code\",frame 6\n",
                          "\n7,6,10:00:00.120,,2,STRIP,20.0,,frame 7\n"})
    EXPECT_NE(result.out.find(row), std::string::npos) << row << "in:\n" << result.out;
  EXPECT_EQ(result.out.find("summary"), std::string::npos) << "the summary goes to stderr";
}

TEST_F(SyncReadTool, ExitStatuses) {
  struct Case {
    std::string arguments;
    int status;
    const char* says;
  };
  std::ofstream(dir_ + "/text.png") << "not a picture";
  ASSERT_EQ(::mkfifo((dir_ + "/pipe").c_str(), 0600), 0);
  const Case cases[] = {
      {pngs_ + " --strict", 3, "dropped:      1"},
      {"'" + dir_ + "/0.png' --strict", 0, "decoded:      1"},
      {pngs_ + " '" + dir_ + "/text.png'", 1, "not a PNG file"},
      {"--size 320x179 '" + dir_ + "/frames.rgba'", 1, "the stream ends inside this frame"},
      {pngs_ + " --fps 0", 2, "--fps takes a positive rate"},
      {"--size 320 x", 2, "--size takes WIDTHxHEIGHT"},
      {"", 2, "no input"},
      {"'" + dir_ + "/pipe'", 2, "is a named pipe, which carries raw frames"},
      {"--size 99999x99999 -", 1, "outside the accepted"},
  };
  for (const Case& c : cases) {
    const Result result = Run(c.arguments, true);
    EXPECT_EQ(result.status, c.status) << c.arguments << "\n" << result.out;
    EXPECT_NE(result.out.find(c.says), std::string::npos) << c.arguments << "\n" << result.out;
  }
}

}  // namespace
