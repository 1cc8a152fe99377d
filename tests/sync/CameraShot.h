// What a phone does to a picture of a wall, as one helper for the wall
// reader's tests: LED pixel gaps, a view up to 30 degrees off axis, a roll,
// scaling to the photo's size, blur, noise and JPEG; and for a clip, what a
// video camera adds: a rolling shutter, an exposure that integrates across
// a frame change, and an LED refresh's dark bands. Deterministic for a
// given seed.
#pragma once

#include <opencv2/core.hpp>

#include <vector>

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

// A video camera: `camera`'s view (its JPEG left out: the clip's codec
// compresses), frames at `fps`. Row y of frame k integrates the wall from
// k / fps + y * readout / (rows - 1) for the exposure; a negative readout
// reads the rows bottom to top.
struct VideoCamera {
  Camera camera;
  double fps = 240;
  double readoutMs = 0;
  double exposureMs = 0;    // 0: the whole frame time
  double bandingHz = 0;     // an LED refresh seen as dark bands across the rows; 0: none
  double bandingDepth = 0;  // how much of the light the bands take away, 0 to 1
};

// From `startMs` on, a region shows wall picture `picture`.
struct ShownFrom {
  double startMs;
  int picture;
};

// `frames` frames of a clip of a wall: the pixels of region i (those valued
// i in `regions`, an 8-bit map the wall's size) show pictures[p] as
// shown[i] says; the rest (valued 255) always show pictures[0].
std::vector<cv::Mat> CameraClip(const std::vector<cv::Mat>& pictures, const cv::Mat& regions,
                                const std::vector<std::vector<ShownFrom>>& shown, const VideoCamera& video,
                                int frames);
