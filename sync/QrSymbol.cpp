#include "sync/QrSymbol.h"

#include <exception>

#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/CharacterSet.h>
#include <ZXing/MultiFormatWriter.h>

namespace {

// zxing-cpp's error-correction scale runs 0 to 8 for QR codes; 4 is level M.
constexpr int kEccLevelM = 4;

}  // namespace

std::optional<QrSymbol> EncodeQr(const std::string& text) {
  try {
    const ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                                        .setEncoding(ZXing::CharacterSet::UTF8)
                                        .setEccLevel(kEccLevelM)
                                        .setMargin(0)
                                        .encode(text, 0, 0);
    if (matrix.width() != matrix.height() || matrix.width() <= 0) return std::nullopt;
    QrSymbol symbol;
    symbol.size = matrix.width();
    symbol.dark.resize(static_cast<std::size_t>(symbol.size) * symbol.size);
    for (int y = 0; y < symbol.size; ++y)
      for (int x = 0; x < symbol.size; ++x)
        symbol.dark[static_cast<std::size_t>(y * symbol.size + x)] = matrix.get(x, y);
    return symbol;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}
