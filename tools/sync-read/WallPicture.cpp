#include "tools/sync-read/WallPicture.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const cv::Scalar kOnTime(60, 200, 0), kLate(40, 40, 255), kEarly(255, 140, 0), kChanging(0, 190, 255);

// The text scale at which "31.4095" spans `width` pixels.
double TextScale(double width) {
  int baseline = 0;
  const cv::Size unit = cv::getTextSize("31.4095", cv::FONT_HERSHEY_SIMPLEX, 1.0, 2, &baseline);
  return std::clamp(width / std::max(1, unit.width), 0.3, 4.0);
}

// Text centred on `at` at `scale`, on a dark backing.
void Label(cv::Mat& picture, const std::string& text, cv::Point2f at, double scale, const cv::Scalar& colour) {
  int baseline = 0;
  const int thickness = std::max(1, static_cast<int>(scale * 2));
  const cv::Size size = cv::getTextSize(text, cv::FONT_HERSHEY_SIMPLEX, scale, thickness, &baseline);
  const cv::Point origin(static_cast<int>(at.x) - size.width / 2, static_cast<int>(at.y) + size.height / 2);
  cv::rectangle(picture, origin + cv::Point(-2, baseline), origin + cv::Point(size.width + 2, -size.height - 2),
                cv::Scalar(0, 0, 0), cv::FILLED);
  cv::putText(picture, text, origin, cv::FONT_HERSHEY_SIMPLEX, scale, colour, thickness, cv::LINE_AA);
}

// From a clip, by the milliseconds: a region a few ms late is late.
cv::Scalar WallColour(const RegionVerdict& v) {
  if (v.off) return (v.timing ? v.timing->offsetMs : v.offsetFrames) < 0 ? kLate : kEarly;
  return v.region.code.changeCaught ? kChanging : kOnTime;
}

std::string OffsetText(const RegionVerdict& v) {
  char text[32];
  if (v.timing)
    std::snprintf(text, sizeof text, "%+.1f ms", v.timing->offsetMs);
  else if (v.offsetFrames != 0)
    std::snprintf(text, sizeof text, "%+d", v.offsetFrames);
  else
    std::snprintf(text, sizeof text, "0");
  return text;
}

}  // namespace

std::string WriteWallPicture(const cv::Mat& grey, const WallVerdict& verdict, const std::string& path) {
  cv::Mat picture;
  cv::cvtColor(grey, picture, cv::COLOR_GRAY2BGR);
  const int thickness = std::max(2, picture.cols / 600);
  for (const RegionVerdict& v : verdict.regions) {
    std::vector<cv::Point> box;
    cv::Point2f centre(0, 0);
    for (const cv::Point2f& p : v.region.box) {
      box.emplace_back(cvRound(p.x), cvRound(p.y));
      centre += p / 4;
    }
    const cv::Scalar colour = WallColour(v);
    cv::polylines(picture, box, true, colour, thickness, cv::LINE_AA);
    const double side = v.region.cellPixels * 13;
    const RegionIdentity& id = v.region.code.identity;
    const std::string offset = OffsetText(v);
    const double scale = TextScale(side * 0.9);
    // A region placed on a layout is named by its cabinet, as the wall's crew knows it.
    Label(picture, v.cabinet.empty() ? std::to_string(id.output) + "." + std::to_string(id.region) : v.cabinet,
          centre - cv::Point2f(0, static_cast<float>(side / 4)), scale, colour);
    Label(picture, offset, centre + cv::Point2f(0, static_cast<float>(side / 4)), scale * 1.5, colour);
  }
  // The legend, top left.
  const struct {
    const char* text;
    cv::Scalar colour;
  } legend[] = {{"on time", kOnTime}, {"late (-frames)", kLate}, {"early (+frames)", kEarly},
                {"frame change caught", kChanging}};
  const int line = std::max(24, picture.rows / 30);
  cv::rectangle(picture, {0, 0}, {line * 9, line * 5}, cv::Scalar(0, 0, 0), cv::FILLED);
  for (int i = 0; i < 4; ++i) {
    const int y = line * (i + 1);
    cv::rectangle(picture, {line / 3, y - line / 2}, {line, y + line / 6}, legend[i].colour, cv::FILLED);
    cv::putText(picture, legend[i].text, {line * 4 / 3, y}, cv::FONT_HERSHEY_SIMPLEX, line / 40.0,
                cv::Scalar(255, 255, 255), std::max(1, line / 16), cv::LINE_AA);
  }
  if (verdict.reference) {
    cv::putText(picture, "reference frame " + std::to_string(*verdict.reference), {line / 3, line * 5 - line / 4},
                cv::FONT_HERSHEY_SIMPLEX, line / 40.0, cv::Scalar(255, 255, 255), std::max(1, line / 16), cv::LINE_AA);
  }
  try {
    if (!cv::imwrite(path, picture)) return "cannot write " + path;
  } catch (const cv::Exception&) {
    return "cannot write " + path + " (give a .png name)";
  }
  return {};
}
