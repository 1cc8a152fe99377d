#include "tests/sync/CameraShot.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <vector>

cv::Mat CameraShot(const cv::Mat& wall, const Camera& camera) {
  cv::Mat lit = wall.clone();
  if (camera.ledPitch > 1)
    for (int y = 0; y < lit.rows; ++y)
      for (int x = 0; x < lit.cols; ++x)
        if (x % camera.ledPitch == 0 || y % camera.ledPitch == 0)
          lit.at<std::uint8_t>(y, x) = static_cast<std::uint8_t>(lit.at<std::uint8_t>(y, x) / 4);

  // A pinhole camera at 1.5 wall widths, the wall turned by the yaw, then the
  // picture rolled; scaled so that an output pixel spans the asked size.
  const double scale = camera.cellPixels / camera.cellSize;
  const double yaw = camera.yawDegrees * CV_PI / 180, roll = camera.rollDegrees * CV_PI / 180;
  const double w = lit.cols, h = lit.rows, distance = 1.5 * w;
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
  if (scale < 1) cv::GaussianBlur(lit, lit, {0, 0}, 0.45 / scale);  // the lens and sensor's own smoothing
  cv::Mat photo;
  cv::warpPerspective(lit, photo, cv::getPerspectiveTransform(corners, seen), {camera.width, camera.height},
                      cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(12));
  if (camera.blurSigma > 0) cv::GaussianBlur(photo, photo, {0, 0}, camera.blurSigma);
  if (camera.noiseSigma > 0) {
    cv::Mat noise(photo.size(), CV_16SC1);
    cv::RNG random(camera.seed);
    random.fill(noise, cv::RNG::NORMAL, 0, camera.noiseSigma);
    cv::Mat wide;
    photo.convertTo(wide, CV_16SC1);
    wide += noise;
    wide.convertTo(photo, CV_8UC1);  // saturates
  }
  if (camera.jpegQuality > 0) {
    std::vector<std::uint8_t> bytes;
    cv::imencode(".jpg", photo, bytes, {cv::IMWRITE_JPEG_QUALITY, camera.jpegQuality});
    photo = cv::imdecode(bytes, cv::IMREAD_GRAYSCALE);
  }
  return photo;
}
