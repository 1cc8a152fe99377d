// One SYNC frame as shapes: the background, then every element the settings
// show, at the places the layout gives, for the frame's number, time of day
// and flash state. Plain CPU work, no GL, so that tests can read a frame's
// shapes without a context.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "shapes/ShapeList.h"
#include "sync/Layout.h"
#include "sync/QrSymbol.h"
#include "sync/Settings.h"

struct FrameFacts {
  std::uint64_t frame = 0;              // frames this instance drew before this one
  std::int64_t millisecondOfDay = 0;    // 0 to 86,399,999
  bool flash = false;
};

// The QR code's text for a frame: the label cut to kQrMaxLabelBytes.
std::string QrTextFor(const SyncSettings& settings, const FrameFacts& facts);

// Appends the frame's shapes to `list` (which the caller clears). `qr` is
// the symbol for QrTextFor(settings, facts), or empty when none is drawn.
void ComposeSyncFrame(const SyncSettings& settings, const SyncLayout& layout,
                      const FrameFacts& facts, const std::optional<QrSymbol>& qr,
                      shapes::ShapeList& list);
