#include "tests/sync/SyncKit.h"

#include <GL/glew.h>

#include <ZXing/ReadBarcode.h>

namespace synckit {

std::vector<std::uint8_t> ReadRegion(const hostkit::RenderTarget& target, const shapes::Rect& r) {
  const int w = std::max(0, r.Width()), h = std::max(0, r.Height());
  std::vector<std::uint8_t> bottomUp(static_cast<std::size_t>(w) * h * 4);
  if (w == 0 || h == 0) return bottomUp;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, target.FramebufferName());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // GL rows run bottom-up: output row y is window row height - 1 - y.
  glReadPixels(r.x0, target.Height() - r.y1, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  std::vector<std::uint8_t> topDown(bottomUp.size());
  const std::size_t row = static_cast<std::size_t>(w) * 4;
  for (int y = 0; y < h; ++y)
    std::copy_n(&bottomUp[static_cast<std::size_t>(h - 1 - y) * row], row,
                &topDown[static_cast<std::size_t>(y) * row]);
  return topDown;
}

std::array<std::uint8_t, 4> PixelAt(const hostkit::RenderTarget& target, int x, int y) {
  const auto p = ReadRegion(target, shapes::RectAt(x, y, 1, 1));
  return {p[0], p[1], p[2], p[3]};
}

std::optional<FrameStamp> DecodeStrip(const hostkit::RenderTarget& target, int cellSize) {
  if (cellSize <= 0) return std::nullopt;
  const StripRect band = StripBand(cellSize, target.Height());
  const shapes::Rect bandRect = shapes::RectAt(band.x, band.y, band.width, band.height);
  const auto pixels = ReadRegion(target, bandRect);
  auto white = [&](int index) {
    const StripRect c = StripCell(cellSize, target.Height(), index);
    const int x = c.x + c.width / 2 - band.x, y = c.y + c.height / 2 - band.y;
    return pixels[(static_cast<std::size_t>(y) * band.width + x) * 4] > 127;
  };
  if (!white(0) || white(1) || white(kStripCells - 2) || !white(kStripCells - 1)) return std::nullopt;
  std::uint64_t word = 0;
  for (int i = 0; i < kStripDataCells; ++i)
    word = (word << 1) | (white(kStripGuardCells + i) ? 1u : 0u);
  return DecodeStamp(word);
}

std::optional<std::string> DecodeQr(const hostkit::RenderTarget& target, const shapes::Rect& region) {
  const auto rgba = ReadRegion(target, region);
  if (rgba.empty()) return std::nullopt;
  const ZXing::ImageView image(rgba.data(), region.Width(), region.Height(), ZXing::ImageFormat::RGBX);
  const ZXing::Result result =
      ZXing::ReadBarcode(image, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode));
  if (!result.isValid()) return std::nullopt;
  return result.text();
}

bool AllBlack(const hostkit::RenderTarget& target, const shapes::Rect& region) {
  const auto rgba = ReadRegion(target, region);
  for (std::size_t i = 0; i < rgba.size(); i += 4)
    if (rgba[i] != 0 || rgba[i + 1] != 0 || rgba[i + 2] != 0 || rgba[i + 3] != 255) return false;
  return true;
}

}  // namespace synckit

std::unique_ptr<hostkit::HostInstance> SyncSuite::HostTimeInstance(const hostkit::PluginLibrary& plugin,
                                                                    int width, int height,
                                                                    const char* start) {
  auto host = std::make_unique<hostkit::HostInstance>(plugin, width, height,
                                                      hostkit::PixelFormat::RGBA8);
  host->Set(kSyncClockSource, static_cast<float>(kClockHostTime));
  plugin.SetTextParameter(host->Id(), kSyncStartTime, start);
  return host;
}
