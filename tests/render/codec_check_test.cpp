// An encoder this machine's FFmpeg lacks is refused before any file exists,
// in one line that names the choice and the codecs that do work in that
// container. A table entry pointing at an encoder no FFmpeg has stands in
// for a build without one.
#include <gtest/gtest.h>

#include <string>

#include "tools/render/Codec.h"
#include "tools/render/ParameterTable.h"
#include "tools/render/VideoFile.h"

namespace {

TEST(VideoOutputMissingEncoder, IsAOneLineErrorNamingWhatWorks) {
  const Codec missing{"vanished", "no_such_encoder_here", "a codec this FFmpeg lacks", true, true,
                      {CodecFormat{8, false, AV_PIX_FMT_RGBA}}, {}, RangeSaid::InStream, ""};
  const struct {
    const char* path;
    const char* works;    // a codec this container holds
    const char* refused;  // one it cannot hold, absent from the list; nullptr if none
  } cases[] = {
      {"clip.mkv", "ffv1", "hap"},
      {"clip.mov", "hap", nullptr},
      {"clip.mp4", "h264", "qtrle"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    VideoSettings settings;
    settings.path = c.path;
    settings.codec = &missing;
    settings.rate = {60, 1};
    try {
      CheckVideoSettings(settings, 64, 48);
      ADD_FAILURE() << "accepted an encoder that does not exist";
    } catch (const UsageError& error) {
      const std::string message = error.what();
      EXPECT_NE(message.find("this machine's FFmpeg has no no_such_encoder_here encoder for "
                             "--codec vanished; it has: "),
                std::string::npos)
          << message;
      const std::string offered = message.substr(message.find("it has: "));
      EXPECT_NE(offered.find(c.works), std::string::npos) << message;
      if (c.refused) {
        EXPECT_EQ(offered.find(c.refused), std::string::npos) << message;
      }
      EXPECT_EQ(offered.find("vanished"), std::string::npos) << message;
      EXPECT_EQ(message.find('\n'), std::string::npos) << message;
    }
  }
}

}  // namespace
