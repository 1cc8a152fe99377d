// How long veltrima-sync-read takes to decode one frame, at 1920x1080 and
// 3840x2160: with the strip (the usual case, the search ends at the bottom
// rows), with only a QR code (the whole frame searched for a strip, then
// zxing-cpp's reader), with neither (both searches run to the end), all on
// a frame of flat panels as a SYNC frame is; and with neither on uniform
// noise, the worst case of the strip search (a run boundary every other
// pixel). A measurement, never a test.
#include <benchmark/benchmark.h>

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <random>

#include "framestamp/StampCode.h"
#include "framestamp/StampText.h"
#include "tools/sync-read/FrameDecoder.h"

namespace {

enum Content { kStrip, kQrOnly, kNeither, kNoise };
const char* const kNames[] = {"strip", "QR only", "neither", "neither, noise"};

void Fill(LumaImage& image, int x, int y, int width, int height, std::uint8_t level) {
  for (int row = y; row < y + height && row < image.height; ++row)
    for (int col = x; col < x + width && col < image.width; ++col)
      image.luma[static_cast<std::size_t>(row) * image.width + col] = level;
}

LumaImage Frame(int width, int height, Content content) {
  LumaImage image{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
  std::mt19937 random(1);
  if (content == kNoise) {
    for (auto& v : image.luma) v = static_cast<std::uint8_t>(random() % 96);
    return image;
  }
  // Panels, bars and text-sized blocks of grey and white on black.
  for (int i = 0; i < 400; ++i) {
    const int size = 4 + static_cast<int>(random() % 60);
    Fill(image, static_cast<int>(random() % width), static_cast<int>(random() % (height * 3 / 4)),
         size * (1 + static_cast<int>(random() % 4)), size,
         static_cast<std::uint8_t>(i % 3 ? 40 : 255));
  }
  if (content == kStrip) {
    const int cell = StripCellSize(kStripDefaultCellSize, width);
    const std::uint64_t word = EncodeStamp({123456, 45'296'789, 3});
    const StripRect band = StripBand(cell, height);
    Fill(image, band.x, band.y, band.width, band.height, 0);
    for (int i = 0; i < kStripCells; ++i) {
      const StripRect r = StripCell(cell, height, i);
      Fill(image, r.x, r.y, r.width, r.height, StripCellIsWhite(word, i) ? 255 : 0);
    }
  }
  if (content == kStrip || content == kQrOnly) {
    const auto code = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                          .setMargin(4)
                          .encode(ComposeStampText({123456, "12:34:56.789", "12:34:56:19", 3,
                                                    "OUTPUT 1"}),
                                  1, 1);
    const int module = width / 240;
    for (int y = 0; y < code.height(); ++y)
      for (int x = 0; x < code.width(); ++x)
        Fill(image, width * 3 / 4 + x * module, height / 10 + y * module, module, module,
             code.get(x, y) ? 0 : 255);
  }
  return image;
}

void DecodeOneFrame(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const LumaImage image = Frame(width, width * 9 / 16, static_cast<Content>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(DecodeFrame(image));
  state.SetLabel(kNames[state.range(1)]);
}
BENCHMARK(DecodeOneFrame)
    ->ArgsProduct({{1920, 3840}, {kStrip, kQrOnly, kNeither, kNoise}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
