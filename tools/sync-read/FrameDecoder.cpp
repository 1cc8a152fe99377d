#include "tools/sync-read/FrameDecoder.h"

#include "framestamp/TimeOfDay.h"
#include "tools/sync-read/QrDecoder.h"
#include "tools/sync-read/StripDecoder.h"

const char* CodeName(CodeRead code) {
  switch (code) {
    case CodeRead::Strip: return "STRIP";
    case CodeRead::Qr: return "QR";
    case CodeRead::None: break;
  }
  return "NONE";
}

FrameReading DecodeFrame(const LumaImage& image) {
  FrameReading reading;
  const StripReading strip = ReadStrip(image);
  if (strip.status == StripReading::Status::Decoded) {
    reading.code = CodeRead::Strip;
    reading.frame = strip.stamp.frame;
    reading.millisecondOfDay = strip.stamp.millisecondOfDay;
    reading.output = strip.stamp.output;
    return reading;
  }
  const std::string stripNote = strip.status == StripReading::Status::CrcMismatch
                                    ? "strip CRC mismatch"
                                    : "no strip found";
  const QrReading qr = ReadQr(image);
  const auto time = ParseTimeOfDay(qr.stamp.time);  // ParseStampText checked it
  if (qr.status == QrReading::Status::Decoded && time) {
    reading.code = CodeRead::Qr;
    reading.frame = qr.stamp.frame;
    reading.millisecondOfDay = *time;
    reading.timecode = qr.stamp.timecode;
    reading.output = qr.stamp.output;
    reading.label = qr.stamp.label;
    if (strip.status == StripReading::Status::CrcMismatch) reading.note = stripNote;
    return reading;
  }
  reading.note = stripNote + (qr.status == QrReading::Status::Foreign
                                  ? ", QR code is not a frame stamp"
                                  : ", no QR code");
  return reading;
}
