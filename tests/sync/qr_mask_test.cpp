// The QR mask chosen on bit rows (sync/QrMaskChoice.cpp) against the encoder's
// own choice: the plug-in's symbols, and so its golden pictures, must not
// change. Every version the stamp texts reach (1 to 7) is covered by stamp
// texts and by random texts in each of the encoder's modes.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include <qrcodegen/qrcodegen.hpp>

#include "sync/QrMaskChoice.h"
#include "sync/QrSymbol.h"
#include "sync/Settings.h"
#include "sync/SyncFrame.h"

namespace {

using qrcodegen::QrCode;

QrCode Encode(const std::string& text, int mask) {
  return QrCode::encodeSegments(qrcodegen::QrSegment::makeSegments(text.c_str()), QrCode::Ecc::MEDIUM,
                                QrCode::MIN_VERSION, QrCode::MAX_VERSION, mask, false);
}

std::vector<bool> Modules(const QrCode& code) {
  std::vector<bool> dark;
  for (int y = 0; y < code.getSize(); ++y)
    for (int x = 0; x < code.getSize(); ++x) dark.push_back(code.getModule(x, y));
  return dark;
}

// Lines of a symbol as text, for a failure to show where two symbols differ.
std::string Picture(const std::vector<bool>& dark, int size) {
  std::string s;
  for (int y = 0; y < size; ++y) {
    s += '\n';
    for (int x = 0; x < size; ++x) s += dark[static_cast<std::size_t>(y * size + x)] ? '#' : '.';
  }
  return s;
}

// Random texts of the encoder's three modes, the length drawn so that
// versions 1 to 7 at error correction M all come up.
std::vector<std::string> RandomTexts(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  const std::string digits = "0123456789";
  const std::string alphanumeric = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ $%*+-./:";
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < count; ++i) {
    std::string text;
    switch (i % 4) {
      case 0:  // numeric: up to 288 digits is version 7
        for (int n = static_cast<int>(random() % 289); n > 0; --n) text += digits[random() % 10];
        break;
      case 1:  // alphanumeric: up to 174 characters
        for (int n = static_cast<int>(random() % 175); n > 0; --n) text += alphanumeric[random() % 45];
        break;
      default:  // bytes, no NUL: up to 122
        for (int n = static_cast<int>(random() % 123); n > 0; --n)
          text += static_cast<char>(1 + random() % 255);
        break;
    }
    texts.push_back(text);
  }
  return texts;
}

// Stamp texts as the plug-in writes them: any frame, time, output, rate and
// label (cut to what the code carries).
std::vector<std::string> StampTexts(std::size_t count, unsigned seed) {
  std::mt19937_64 random(seed);
  const std::string letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz0123456789-_/.";
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < count; ++i) {
    SyncSettings s;
    s.output = static_cast<std::uint32_t>(random() % 32);
    s.rate = static_cast<TimecodeRate>(random() % 8);
    for (int n = static_cast<int>(random() % 60); n > 0; --n) s.label += letters[random() % letters.size()];
    if (i % 7 == 0) s.label += "\xC3\xA9\xE2\x82\xAC";  // e acute, euro sign
    FrameFacts f;
    // Small frame numbers as a show starts, and any number after.
    f.frame = i % 2 ? i : random() >> (random() % 64);
    f.millisecondOfDay = static_cast<std::int64_t>(random() % 86'400'000);
    texts.push_back(QrTextFor(s, f));
  }
  return texts;
}

// Redrawn under each mask, a symbol is the one the encoder draws under that
// mask: finders, timing, alignment, version and format bits all in place.
TEST(SyncQrMask, RemaskedSymbolIsTheEncodersUnderEveryMask) {
  std::array<int, 8> versions{};
  for (const std::string& text : RandomTexts(400, 11)) {
    const QrCode code = Encode(text, 0);
    const auto remasked = RemaskQr(code);
    ASSERT_TRUE(remasked.has_value()) << "version " << code.getVersion();
    ++versions[static_cast<std::size_t>(code.getVersion())];
    for (int m = 0; m < 8; ++m) {
      const QrCode expected = Encode(text, m);
      ASSERT_EQ((*remasked)[m].dark, Modules(expected))
          << "mask " << m << ", version " << code.getVersion() << ", text \"" << text << "\""
          << "\nexpected:" << Picture(Modules(expected), expected.getSize())
          << "\nremasked:" << Picture((*remasked)[m].dark, (*remasked)[m].size);
    }
  }
  for (int v = 1; v <= kQrFastMaxVersion; ++v) EXPECT_GT(versions[v], 0) << "version " << v;
  // Version 8 and up, or another error correction, are not handled here.
  EXPECT_FALSE(RemaskQr(Encode(std::string(200, 'x'), 0)).has_value());
  EXPECT_FALSE(RemaskQr(QrCode::encodeText("x", QrCode::Ecc::LOW)).has_value());
}

// The symbol EncodeQr makes is the one the encoder's own mask choice makes,
// for stamp texts and random texts of every version up to 7, and above it.
TEST(SyncQrMask, ChosenMaskIsTheEncodersChoice) {
  std::vector<std::string> texts = StampTexts(6000, 7);
  for (const std::string& text : RandomTexts(6000, 5)) texts.push_back(text);
  texts.push_back("");
  texts.push_back(std::string(300, 'W'));  // version 8 and up: the encoder chooses
  std::array<int, 41> versions{};
  std::array<int, 8> masks{};
  for (const std::string& text : texts) {
    const QrCode expected = Encode(text, -1);
    const std::optional<QrSymbol> chosen = EncodeQr(text);
    ASSERT_TRUE(chosen.has_value()) << text;
    ASSERT_EQ(chosen->dark, Modules(expected))
        << "version " << expected.getVersion() << ", the encoder's mask " << expected.getMask()
        << ", text \"" << text << "\"";
    ++versions[static_cast<std::size_t>(expected.getVersion())];
    ++masks[static_cast<std::size_t>(expected.getMask())];
  }
  for (int v = 1; v <= kQrFastMaxVersion; ++v) EXPECT_GT(versions[v], 100) << "version " << v;
  for (int m = 0; m < 8; ++m) EXPECT_GT(masks[m], 100) << "mask " << m;
}

}  // namespace
