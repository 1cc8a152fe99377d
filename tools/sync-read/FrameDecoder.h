// What one frame says about itself: the strip when it is found and its CRC
// matches, else the QR code, else why neither could be read.
#pragma once

#include <cstdint>
#include <string>

#include "tools/sync-read/LumaImage.h"

enum class CodeRead { Strip, Qr, None };

// "STRIP", "QR" or "NONE".
const char* CodeName(CodeRead code);

struct FrameReading {
  CodeRead code = CodeRead::None;
  // The frame number as the code carries it: modulo 2^24 in the strip, whole
  // in the QR code.
  std::uint64_t frame = 0;
  std::int64_t millisecondOfDay = 0;
  std::string timecode;  // from the QR code only: the strip carries no rate
  std::uint32_t output = 0;
  std::string label;     // from the QR code only
  // Without a code: why ("no strip found, no QR code"). With the QR code:
  // what was wrong with the strip, if it was found ("strip CRC mismatch").
  std::string note;
};

FrameReading DecodeFrame(const LumaImage& image);
