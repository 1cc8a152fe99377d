#include "tools/render/Mastering.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mastering_display_metadata.h>
}

#include <cmath>
#include <cstring>
#include <stdexcept>

namespace {

// BT.2020's primaries and D65, as CIE 1931 x, y.
struct Chromaticity {
  double x, y;
};
constexpr Chromaticity kRed{0.708, 0.292}, kGreen{0.170, 0.797}, kBlue{0.131, 0.046},
    kWhite{0.3127, 0.3290};
constexpr double kMinimumNits = 0.0001;

// ST 2086's units: chromaticity in steps of 0.00002, luminance of 0.0001 nits.
long Chroma(double value) { return std::lround(value / 0.00002); }
long Luminance(double nits) { return std::lround(nits / 0.0001); }

AVRational Exact(long numerator, int denominator) {
  return AVRational{static_cast<int>(numerator), denominator};
}

}  // namespace

void AttachHdrSideData(AVStream* stream, double peakNits, const ContentLight& light) {
  auto* display = reinterpret_cast<AVMasteringDisplayMetadata*>(av_stream_new_side_data(
      stream, AV_PKT_DATA_MASTERING_DISPLAY_METADATA, sizeof(AVMasteringDisplayMetadata)));
  if (!display) throw std::runtime_error("out of memory for the mastering display metadata");
  std::memset(display, 0, sizeof *display);
  // FFmpeg's order of primaries is red, green, blue.
  const Chromaticity primaries[3] = {kRed, kGreen, kBlue};
  for (int i = 0; i < 3; ++i) {
    display->display_primaries[i][0] = Exact(Chroma(primaries[i].x), 50000);
    display->display_primaries[i][1] = Exact(Chroma(primaries[i].y), 50000);
  }
  display->white_point[0] = Exact(Chroma(kWhite.x), 50000);
  display->white_point[1] = Exact(Chroma(kWhite.y), 50000);
  display->max_luminance = Exact(Luminance(peakNits), 10000);
  display->min_luminance = Exact(Luminance(kMinimumNits), 10000);
  display->has_primaries = 1;
  display->has_luminance = 1;

  auto* level = reinterpret_cast<AVContentLightMetadata*>(av_stream_new_side_data(
      stream, AV_PKT_DATA_CONTENT_LIGHT_LEVEL, sizeof(AVContentLightMetadata)));
  if (!level) throw std::runtime_error("out of memory for the content light level");
  level->MaxCLL = light.maxCll;
  level->MaxFALL = light.maxFall;
}

std::string X265HdrParams(double peakNits, const ContentLight& light) {
  const auto point = [](const char* name, const Chromaticity& c) {
    return std::string(name) + "(" + std::to_string(Chroma(c.x)) + "," +
           std::to_string(Chroma(c.y)) + ")";
  };
  // x265 names them green, blue, red, as HEVC's SEI orders them.
  return "master-display=" + point("G", kGreen) + point("B", kBlue) + point("R", kRed) +
         point("WP", kWhite) + "L(" + std::to_string(Luminance(peakNits)) + "," +
         std::to_string(Luminance(kMinimumNits)) + ")" + ":max-cll=" +
         std::to_string(light.maxCll) + "," + std::to_string(light.maxFall);
}
