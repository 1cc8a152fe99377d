#include "sync/QrSymbol.h"

#include <exception>
#include <vector>

#include <qrcodegen/qrcodegen.hpp>

std::optional<QrSymbol> EncodeQr(const std::string& text) {
  using qrcodegen::QrCode;
  try {
    // Error correction M exactly: the encoder would otherwise raise it
    // whenever the text still fits the same version ("boost").
    const std::vector<qrcodegen::QrSegment> segments = qrcodegen::QrSegment::makeSegments(text.c_str());
    const QrCode code = QrCode::encodeSegments(segments, QrCode::Ecc::MEDIUM, QrCode::MIN_VERSION,
                                               QrCode::MAX_VERSION, -1, false);
    QrSymbol symbol;
    symbol.size = code.getSize();
    if (symbol.size <= 0) return std::nullopt;
    symbol.dark.resize(static_cast<std::size_t>(symbol.size) * symbol.size);
    for (int y = 0; y < symbol.size; ++y)
      for (int x = 0; x < symbol.size; ++x)
        symbol.dark[static_cast<std::size_t>(y * symbol.size + x)] = code.getModule(x, y);
    return symbol;
  } catch (const std::exception&) {
    return std::nullopt;
  }
}
