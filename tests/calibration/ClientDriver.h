// Drives a CalibrationClient the way the plug-in does, one frame at a time,
// on a clock the test owns (each frame 1/60 s later) while the real sockets
// get a millisecond of real time per frame to move. With `realTime` the
// clock is the real one, for programs that keep their own time.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "calibration/CalibrationClient.h"

namespace calibration_test {

struct ClientDriver {
  std::vector<std::string> log;
  calibration::CalibrationClient client{[this](const std::string& line) { log.push_back(line); }};
  calibration::CalibrationClient::Clock::time_point now{std::chrono::hours(1)};
  int frames = 0;
  bool realTime = false;

  static constexpr std::chrono::microseconds kFrame{16667};

  void Frame() {
    if (realTime) now = calibration::CalibrationClient::Clock::now();
    client.Service(now);
    client.FrameDrawn();
    ++frames;
    now += kFrame;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }

  // Frames until `done` holds, at most `limit` of them (about as many
  // milliseconds of real time); whether it came to hold.
  bool FramesUntil(const std::function<bool()>& done, int limit = 3000) {
    for (int i = 0; i < limit; ++i) {
      if (done()) return true;
      Frame();
    }
    return done();
  }

  void FramesFor(std::chrono::milliseconds span) {
    const auto end = now + span;
    while (now < end) Frame();
  }

  int LinesLogged(const std::string& line) const {
    int count = 0;
    for (const std::string& logged : log) count += logged == line;
    return count;
  }
};

}  // namespace calibration_test
