#include "sync/QrSymbol.h"

#include <exception>
#include <vector>

#include <qrcodegen/qrcodegen.hpp>

#include "sync/QrMaskChoice.h"

namespace {

using qrcodegen::QrCode;

// Error correction M exactly: the encoder would otherwise raise it whenever
// the text still fits the same version ("boost"). mask -1 lets the encoder
// choose the mask itself.
QrCode EncodeWithMask(const std::string& text, int mask) {
  const std::vector<qrcodegen::QrSegment> segments = qrcodegen::QrSegment::makeSegments(text.c_str());
  return QrCode::encodeSegments(segments, QrCode::Ecc::MEDIUM, QrCode::MIN_VERSION, QrCode::MAX_VERSION,
                                mask, false);
}

QrSymbol FromCode(const QrCode& code) {
  QrSymbol symbol;
  symbol.size = code.getSize();
  symbol.dark.resize(static_cast<std::size_t>(symbol.size) * symbol.size);
  for (int y = 0; y < symbol.size; ++y)
    for (int x = 0; x < symbol.size; ++x)
      symbol.dark[static_cast<std::size_t>(y * symbol.size + x)] = code.getModule(x, y);
  return symbol;
}

}  // namespace

std::optional<QrSymbol> EncodeQr(const std::string& text) {
  try {
    // Encoded once under mask 0 and remasked on bit rows: the encoder's own
    // choice encodes and scores the symbol eight times, most of a small
    // frame's CPU time. Both give the same symbol (tests/sync/qr_mask_test.cpp).
    std::optional<QrSymbol> symbol = ChooseQrMask(EncodeWithMask(text, 0));
    if (!symbol) symbol = FromCode(EncodeWithMask(text, -1));
    if (symbol->size <= 0) return std::nullopt;
    return symbol;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}
