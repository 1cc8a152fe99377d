// The golden MAP pictures: which layout of tests/map/layouts/, which screen
// and output size make each image of tests/golden/. Read by the golden test
// and by make-map-goldens, so the two cannot drift apart.
#pragma once

struct MapGoldenCase {
  const char* image;   // in tests/golden/
  const char* layout;  // in tests/map/layouts/
  int screen;
  int width, height;
};

// One per format; the JSON one on an output larger than its canvas.
inline constexpr MapGoldenCase kMapGoldenCases[] = {
    {"map-csv.png", "mixed.csv", 1, 960, 540},
    {"map-json.png", "mixed.json", 1, 1280, 720},
    {"map-xml.png", "screens.xml", 1, 960, 540},
};
