// The golden SYNC frames: for each case, a Host Time clip's first frames, each of whose
// strips must decode to its stamp, and the first frame's picture in
// tests/golden/. Read by the golden test (on Linux and, cross-built, under
// Wine) and by make-sync-goldens, so the picture and its checks cannot drift
// apart.
#pragma once

#include <cstdint>

struct SyncGoldenCase {
  const char* image;      // in tests/golden/: frame 0, straight 8-bit RGBA
  int width, height;
  const char* startTime;  // "Start Time", with "Clock Source" on "Host Time"
  int fps;                // frame n is sent as host time n / fps seconds
  int frames;             // how many first frames have their strips read
  std::uint32_t output;   // "Output Number"
};

// Each starts 50 ms before midnight, so that the fourth frame's stamp wraps
// to 00:00:00.000 of the next day: 1080p (the first layout), a stage pillar
// and a ribbon (the layout fitted to them).
inline constexpr SyncGoldenCase kSyncGoldenCases[] = {
    {"sync-host-time.png", 1920, 1080, "23:59:59.950", 60, 6, 5},
    {"sync-pillar.png", 256, 2048, "23:59:59.950", 60, 6, 5},
    {"sync-ribbon.png", 3840, 540, "23:59:59.950", 60, 6, 5},
};
