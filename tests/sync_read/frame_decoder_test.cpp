// Which code a frame is read from, and why none: the strip first, the QR
// code where the strip is missing or its CRC fails, photographed at an
// angle too.
#include <gtest/gtest.h>

#include "framestamp/StampCode.h"
#include "framestamp/StampText.h"
#include "framestamp/TimeOfDay.h"
#include "tests/sync_read/SyntheticFrames.h"
#include "tools/sync-read/FrameDecoder.h"

namespace {

constexpr FrameStamp kStamp{4242, 45'296'789, 7};  // 12:34:56.789

std::string StampQrText() {
  return ComposeStampText({4242, "12:34:56.789", "12:34:56:19", 7, "OUTPUT 8, left wall"});
}

enum class Strip { None, Intact, OneBitFlipped };
enum class Qr { None, Stamp, Foreign };

struct Case {
  const char* name;
  Strip strip;
  Qr qr;
  double scale, degrees;
  CodeRead code;
  const char* note;
};

constexpr Case kCases[] = {
    {"strip and QR: the strip wins", Strip::Intact, Qr::Stamp, 1.0, 0, CodeRead::Strip, ""},
    {"QR alone", Strip::None, Qr::Stamp, 0.8, 0, CodeRead::Qr, ""},
    {"QR alone, photographed at 12 degrees", Strip::None, Qr::Stamp, 0.9, 12, CodeRead::Qr, ""},
    {"flipped strip bit: the QR code instead", Strip::OneBitFlipped, Qr::Stamp, 1.0, 0,
     CodeRead::Qr, "strip CRC mismatch"},
    {"flipped strip bit, no QR code", Strip::OneBitFlipped, Qr::None, 1.0, 0, CodeRead::None,
     "strip CRC mismatch, no QR code"},
    {"nothing", Strip::None, Qr::None, 1.0, 0, CodeRead::None, "no strip found, no QR code"},
    {"someone else's QR code", Strip::None, Qr::Foreign, 1.0, 0, CodeRead::None,
     "no strip found, QR code is not a frame stamp"},
};

LumaImage Frame(const Case& c) {
  GreyImage image = Blank(1280, 720, 0.2f);
  if (c.qr != Qr::None)
    DrawQr(image, c.qr == Qr::Stamp ? StampQrText() : "https://example.org/", 6, 700, 80);
  const std::uint64_t word = EncodeStamp(kStamp);
  if (c.strip == Strip::Intact) DrawStrip(image, word, 16);
  if (c.strip == Strip::OneBitFlipped) DrawStrip(image, word ^ (std::uint64_t{1} << 30), 16);
  if (c.scale == 1.0 && c.degrees == 0) return ToLuma(image);
  GreyImage seen = Transform(image, c.scale, c.degrees, 1280, 720);
  AddNoise(seen, 0.03, 5);
  return ToLuma(seen);
}

TEST(FrameDecoder, ReadsTheRightCodeOrSaysWhyNone) {
  for (const Case& c : kCases) {
    const FrameReading reading = DecodeFrame(Frame(c));
    EXPECT_EQ(CodeName(reading.code), std::string(CodeName(c.code))) << c.name;
    EXPECT_EQ(reading.note, c.note) << c.name;
    if (c.code == CodeRead::None) continue;
    EXPECT_EQ(reading.frame, kStamp.frame) << c.name;
    EXPECT_EQ(reading.millisecondOfDay, kStamp.millisecondOfDay) << c.name;
    EXPECT_EQ(reading.output, kStamp.output) << c.name;
    // The timecode and label only the QR code carries.
    EXPECT_EQ(reading.timecode, c.code == CodeRead::Qr ? "12:34:56:19" : "") << c.name;
    EXPECT_EQ(reading.label, c.code == CodeRead::Qr ? "OUTPUT 8, left wall" : "") << c.name;
  }
}

// The QR code carries the whole frame number; the strip only its low 24 bits.
TEST(FrameDecoder, QrCodeKeepsFrameNumbersBeyondTheStripsRange) {
  GreyImage image = Blank(640, 480, 0.0f);
  DrawQr(image, ComposeStampText({(1ull << 24) + 5, "23:59:59.999", "23:59:59:24", 31, ""}), 5,
         40, 40);
  const FrameReading reading = DecodeFrame(ToLuma(image));
  ASSERT_EQ(reading.code, CodeRead::Qr);
  EXPECT_EQ(reading.frame, (1ull << 24) + 5);
  EXPECT_EQ(reading.millisecondOfDay, kMillisecondsPerDay - 1);
  EXPECT_EQ(reading.output, 31u);
}

}  // namespace
