// What a phone does to a picture of a wall, as one helper for the wall
// reader's tests: LED pixel gaps, a view up to 30 degrees off axis, a roll,
// scaling to the photo's size, blur, noise and JPEG. Deterministic for a
// given seed.
#pragma once

#include <opencv2/core.hpp>

struct Camera {
  int width = 1920, height = 1080;  // the photo
  double cellPixels = 6;   // camera pixels per output pixel times the code's cell size
  int cellSize = 8;        // the code's cell in output pixels, to scale by
  double yawDegrees = 0;   // off axis, about the wall's vertical
  double rollDegrees = 0;  // the phone turned in its plane
  int ledPitch = 0;        // output pixels from one LED to the next with a dark gap; 0: none
  double blurSigma = 0;    // camera pixels
  double noiseSigma = 0;   // levels of 255
  int jpegQuality = 0;     // 0: no JPEG
  unsigned seed = 1;
};

// The photo of `wall` (8-bit grey) that `camera` takes, the wall centred.
cv::Mat CameraShot(const cv::Mat& wall, const Camera& camera);
