// Reads the frame's QR code with zxing-cpp's reader, which finds codes
// anywhere in the frame, at an angle and in photos, and parses its text as a
// frame stamp ("VELTRIMA F=... T=... TC=... O=... L=...").
#pragma once

#include <optional>
#include <string>

#include "framestamp/StampText.h"
#include "tools/sync-read/LumaImage.h"

struct QrReading {
  enum class Status { NotFound, Foreign, Decoded };
  Status status = Status::NotFound;
  std::string text;  // what the code says, also when it is not a stamp
  StampText stamp;   // when decoded
};

QrReading ReadQr(const LumaImage& image);
