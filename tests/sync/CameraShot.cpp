#include "tests/sync/CameraShot.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace {

constexpr std::uint8_t kOffWall = 12;  // the dark around the wall
constexpr std::uint8_t kNoRegion = 255;

// A pinhole camera at 1.5 wall widths, the wall turned by the yaw, then the
// picture rolled; scaled so that an output pixel spans the asked size.
cv::Mat View(cv::Size wall, const Camera& camera) {
  const double scale = camera.cellPixels / camera.cellSize;
  const double yaw = camera.yawDegrees * CV_PI / 180, roll = camera.rollDegrees * CV_PI / 180;
  const double w = wall.width, h = wall.height, distance = 1.5 * w;
  const cv::Point2f corners[4] = {{0, 0}, {static_cast<float>(w), 0},
                                  {static_cast<float>(w), static_cast<float>(h)}, {0, static_cast<float>(h)}};
  cv::Point2f seen[4];
  for (int i = 0; i < 4; ++i) {
    const double x = corners[i].x - w / 2, y = corners[i].y - h / 2;
    const double depth = distance + x * std::sin(yaw);
    const double u = distance * x * std::cos(yaw) / depth, v = distance * y / depth;
    const double ru = u * std::cos(roll) - v * std::sin(roll), rv = u * std::sin(roll) + v * std::cos(roll);
    seen[i] = {static_cast<float>(camera.width / 2.0 + scale * ru),
               static_cast<float>(camera.height / 2.0 + scale * rv)};
  }
  return cv::getPerspectiveTransform(corners, seen);
}

// The wall as the lens draws it on the sensor, before noise and JPEG.
cv::Mat Optics(const cv::Mat& wall, const Camera& camera) {
  cv::Mat lit = wall.clone();
  if (camera.ledPitch > 1)
    for (int y = 0; y < lit.rows; ++y)
      for (int x = 0; x < lit.cols; ++x)
        if (x % camera.ledPitch == 0 || y % camera.ledPitch == 0)
          lit.at<std::uint8_t>(y, x) = static_cast<std::uint8_t>(lit.at<std::uint8_t>(y, x) / 4);
  const double scale = camera.cellPixels / camera.cellSize;
  if (scale < 1) cv::GaussianBlur(lit, lit, {0, 0}, 0.45 / scale);  // the lens and sensor's own smoothing
  cv::Mat photo;
  cv::warpPerspective(lit, photo, View(wall.size(), camera), {camera.width, camera.height}, cv::INTER_LINEAR,
                      cv::BORDER_CONSTANT, cv::Scalar(kOffWall));
  if (camera.blurSigma > 0) cv::GaussianBlur(photo, photo, {0, 0}, camera.blurSigma);
  return photo;
}

void AddNoise(cv::Mat& photo, double sigma, unsigned seed) {
  if (sigma <= 0) return;
  cv::Mat noise(photo.size(), CV_16SC1);
  cv::RNG random(seed);
  random.fill(noise, cv::RNG::NORMAL, 0, sigma);
  cv::Mat wide;
  photo.convertTo(wide, CV_16SC1);
  wide += noise;
  wide.convertTo(photo, CV_8UC1);  // saturates
}

using Pieces = std::vector<std::pair<int, double>>;  // picture, share of the exposure

// What a region showing `shown` gives an exposure from `from` to `to` ms.
Pieces Exposed(const std::vector<ShownFrom>& shown, double from, double to) {
  Pieces pieces;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    const double start = std::max(from, shown[i].startMs);
    const double end = std::min(to, i + 1 < shown.size() ? shown[i + 1].startMs : to);
    if (end > start) pieces.push_back({shown[i].picture, (end - start) / (to - from)});
  }
  if (pieces.empty()) pieces.push_back({shown.empty() ? 0 : shown.front().picture, 1.0});
  return pieces;
}

}  // namespace

cv::Mat CameraShot(const cv::Mat& wall, const Camera& camera) {
  cv::Mat photo = Optics(wall, camera);
  AddNoise(photo, camera.noiseSigma, camera.seed);
  if (camera.jpegQuality > 0) {
    std::vector<std::uint8_t> bytes;
    cv::imencode(".jpg", photo, bytes, {cv::IMWRITE_JPEG_QUALITY, camera.jpegQuality});
    photo = cv::imdecode(bytes, cv::IMREAD_GRAYSCALE);
  }
  return photo;
}

std::vector<cv::Mat> CameraClip(const std::vector<cv::Mat>& pictures, const cv::Mat& regions,
                                const std::vector<std::vector<ShownFrom>>& shown, const VideoCamera& video,
                                int frames) {
  const Camera& camera = video.camera;
  std::vector<cv::Mat> seen;
  for (const cv::Mat& p : pictures) seen.push_back(Optics(p, camera));
  cv::Mat where;
  cv::warpPerspective(regions, where, View(regions.size(), camera), {camera.width, camera.height}, cv::INTER_NEAREST,
                      cv::BORDER_CONSTANT, cv::Scalar(kNoRegion));
  const double frameMs = 1000 / video.fps, exposureMs = video.exposureMs > 0 ? video.exposureMs : frameMs;
  const double lineMs = std::abs(video.readoutMs) / std::max(1, camera.height - 1);
  const std::vector<ShownFrom> still = {{0, 0}};
  std::vector<cv::Mat> clip;
  std::vector<Pieces> pieces(kNoRegion + 1);
  std::vector<const std::uint8_t*> rows(seen.size());
  for (int k = 0; k < frames; ++k) {
    cv::Mat frame(camera.height, camera.width, CV_8UC1);
    for (int y = 0; y < camera.height; ++y) {
      const int line = video.readoutMs < 0 ? camera.height - 1 - y : y;
      const double from = k * frameMs + line * lineMs;
      for (Pieces& p : pieces) p.clear();
      for (std::size_t i = 0; i < seen.size(); ++i) rows[i] = seen[i].ptr<std::uint8_t>(y);
      const std::uint8_t* label = where.ptr<std::uint8_t>(y);
      double gain = 1;
      if (video.bandingHz > 0)
        gain -= video.bandingDepth * (0.5 + 0.5 * std::sin(2 * CV_PI * video.bandingHz * from / 1000));
      std::uint8_t* out = frame.ptr<std::uint8_t>(y);
      for (int x = 0; x < camera.width; ++x) {
        Pieces& p = pieces[label[x]];
        if (p.empty()) p = Exposed(label[x] < shown.size() ? shown[label[x]] : still, from, from + exposureMs);
        double value = 0;
        for (const auto& [picture, share] : p)
          value += share * rows[static_cast<std::size_t>(picture)][x];
        out[x] = cv::saturate_cast<std::uint8_t>(value * gain);
      }
    }
    AddNoise(frame, camera.noiseSigma, camera.seed + static_cast<unsigned>(k));
    clip.push_back(frame);
  }
  return clip;
}
