// The strip read back from frames that went through a capture: several cell
// sizes, scaled by factors that put cell edges between pixels, cropped a
// little and noisy, with clutter above that looks almost like guards.
#include <gtest/gtest.h>

#include <random>

#include "framestamp/StampCode.h"
#include "tests/sync_read/SyntheticFrames.h"
#include "tools/sync-read/StripDecoder.h"

namespace {

struct Capture {
  const char* name;
  int width, height;
  int requestedCell;  // before the plug-in's narrowing to the width
  double scale;
  int crop;           // pixels cut from every side after scaling
  double noise;       // standard deviation, of full scale
};

constexpr Capture kCaptures[] = {
    {"720p, cells 16, as drawn", 1280, 720, 16, 1.0, 0, 0.0},
    {"720p, cells 16, scaled 0.73, noisy", 1280, 720, 16, 0.73, 2, 0.04},
    {"1080p, cells 4, scaled 1.37", 1920, 1080, 4, 1.37, 3, 0.03},
    {"1080p, cells 64 narrowed to 27, scaled 0.55", 1920, 1080, 64, 0.55, 4, 0.05},
    {"360p, cells 8, scaled 0.61, noisy", 640, 360, 8, 0.61, 1, 0.06},
    {"280 wide, cells narrowed to 4, scaled 0.9", 280, 160, 16, 0.9, 0, 0.03},
    {"2160p, cells 16, scaled 0.5", 3840, 2160, 16, 0.5, 6, 0.02},
    {"720p, cells 23, scaled 1.111", 1280, 720, 23, 1.111, 5, 0.08},
};

GreyImage Frame(const Capture& capture, std::uint64_t word, unsigned seed) {
  GreyImage image = Blank(capture.width, capture.height, 0.35f);
  Clutter(image, seed);
  DrawStrip(image, word, StripCellSize(capture.requestedCell, capture.width));
  GreyImage seen = Scaled(image, capture.scale);
  if (capture.crop > 0) seen = Cropped(seen, capture.crop, capture.crop, capture.crop, capture.crop);
  if (capture.noise > 0) AddNoise(seen, capture.noise, seed);
  return seen;
}

std::vector<FrameStamp> Stamps() {
  std::mt19937 random(7);
  std::vector<FrameStamp> stamps{{0, 0, 0}, {kStampFrameModulus - 1, 86'399'999, 31}};
  for (int i = 0; i < 4; ++i)
    stamps.push_back({static_cast<std::uint32_t>(random() % kStampFrameModulus),
                      static_cast<std::uint32_t>(random() % 86'400'000),
                      static_cast<std::uint32_t>(random() % 32)});
  return stamps;
}

TEST(StripDecoder, ReadsEveryStampThroughEveryCapture) {
  unsigned seed = 1;
  for (const Capture& capture : kCaptures)
    for (const FrameStamp& stamp : Stamps()) {
      const StripReading reading = ReadStrip(ToLuma(Frame(capture, EncodeStamp(stamp), ++seed)));
      ASSERT_EQ(reading.status, StripReading::Status::Decoded)
          << capture.name << ", frame " << stamp.frame << ": sampled word " << std::hex
          << reading.word << ", expected " << EncodeStamp(stamp);
      EXPECT_EQ(reading.stamp, stamp) << capture.name;
      const double cell = StripCellSize(capture.requestedCell, capture.width) * capture.scale;
      EXPECT_NEAR(reading.cell, cell, 0.05 * cell) << capture.name;
    }
}

// CRC-8 catches every single-bit error; the reader must say so, not report
// whatever frame the damaged word would spell.
TEST(StripDecoder, EveryFlippedBitIsACrcMismatch) {
  const Capture capture{"360p, cells 8, scaled 0.8", 640, 360, 8, 0.8, 1, 0.03};
  const std::uint64_t word = EncodeStamp({123456, 45'296'789, 5});
  for (int bit = 0; bit < 64; ++bit) {
    const std::uint64_t damaged = word ^ (std::uint64_t{1} << bit);
    const StripReading reading = ReadStrip(ToLuma(Frame(capture, damaged, 100u + bit)));
    EXPECT_EQ(reading.status, StripReading::Status::CrcMismatch) << "bit " << bit;
    EXPECT_EQ(reading.word, damaged) << "bit " << bit << " (the word as drawn is read)";
  }
}

TEST(StripDecoder, FindsNothingWhereThereIsNoStrip) {
  struct Case {
    const char* name;
    LumaImage image;
  };
  GreyImage cluttered = Blank(1280, 720, 0.35f);
  Clutter(cluttered, 3);
  GreyImage faint = Blank(1280, 720, 0.1f);
  DrawStrip(faint, EncodeStamp({1, 2, 3}), 16);
  for (float& v : faint.value) v = 0.1f + v * 0.08f;  // 20 levels between white and black
  GreyImage cut = Blank(1280, 720, 0.35f);
  DrawStrip(cut, EncodeStamp({1, 2, 3}), 16);
  // Pixel-font text: white blocks on a 4-pixel grid, as the frame's own
  // labels are drawn, whose edges all lie on a grid of 4-pixel cells.
  GreyImage text = Blank(1280, 720, 0.0f);
  std::mt19937 random(11);
  for (int y = 0; y < 720; y += 4)
    for (int x = 0; x < 1280; x += 4)
      if (random() % 100 < 30) FillRect(text, x, y, 4, 4, 1.0f);
  const Case cases[] = {
      {"clutter only", ToLuma(cluttered)},
      {"text on a 4-pixel grid", ToLuma(text)},
      {"too little contrast", ToLuma(faint)},
      {"end guard cropped away", ToLuma(Cropped(cut, 0, 0, 1280 - 60 * 16, 0))},
      {"one pixel", ToLuma(Blank(1, 1, 1.0f))},
      {"empty", LumaImage{}},
      {"size and pixels disagree", LumaImage{10, 10, std::vector<std::uint8_t>(5)}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ReadStrip(c.image).status, StripReading::Status::NotFound) << c.name;
}

}  // namespace
