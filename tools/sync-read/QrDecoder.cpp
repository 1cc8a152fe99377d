#include "tools/sync-read/QrDecoder.h"

#include <ZXing/ReadBarcode.h>

#include <exception>

QrReading ReadQr(const LumaImage& image) {
  QrReading reading;
  if (image.width < 1 || image.height < 1 ||
      image.luma.size() != static_cast<std::size_t>(image.width) * image.height)
    return reading;
  try {
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setTryRotate(true);
    const ZXing::ImageView view(image.luma.data(), image.width, image.height,
                                ZXing::ImageFormat::Lum);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid()) return reading;
    reading.text = result.text();
    const auto stamp = ParseStampText(reading.text);
    reading.status = stamp ? QrReading::Status::Decoded : QrReading::Status::Foreign;
    if (stamp) reading.stamp = *stamp;
  } catch (const std::exception&) {
    // The reader gives up on this frame (memory, say); the frame counts as
    // one without a code rather than ending the run.
    reading = QrReading{};
  }
  return reading;
}
