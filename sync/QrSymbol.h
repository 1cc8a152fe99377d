// The frame's QR code: the stamp text encoded on the CPU (qr-code-generator, error
// correction M, UTF-8, no margin: the plug-in draws its own quiet zone).
#pragma once

#include <optional>
#include <string>
#include <vector>

// The dark/light modules of one symbol, row by row, without quiet zone.
struct QrSymbol {
  int size = 0;              // modules per side
  std::vector<bool> dark;    // size * size, row-major
  bool Dark(int x, int y) const { return dark[static_cast<std::size_t>(y * size + x)]; }
};

// Quiet zone, in modules, on every side of the symbol.
constexpr int kQrQuietModules = 4;
// The longest label the code carries, in bytes (cut on a UTF-8 boundary), and
// the symbol size the layout reserves: with it every stamp text fits version
// 7 (45 modules) at error correction M.
constexpr std::size_t kQrMaxLabelBytes = 48;
constexpr int kQrReservedModules = 45 + 2 * kQrQuietModules;

// Empty when the text cannot be encoded (nothing that the plug-in makes).
std::optional<QrSymbol> EncodeQr(const std::string& text);
