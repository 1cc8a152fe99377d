// How long veltrima-sync-read --wall takes over one 12-megapixel phone photo
// (4032x3024 JPEG at quality 90) of a wall of three 1920x1080 outputs, each
// cut into 8 x 4 regions with their codes (cells of 8 output pixels), seen
// 20 degrees off axis: the JPEG decoded, every code found and read. The
// target: under 5 s. A measurement, never a test.
#include <benchmark/benchmark.h>

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "framestamp/RegionCode.h"
#include "tools/sync-read/WallPhoto.h"
#include "tools/sync-read/WallReader.h"

namespace {

constexpr int kOutputWidth = 1920, kOutputHeight = 1080, kOutputs = 3, kColumns = 8, kRows = 4, kCell = 8;

cv::Mat Wall() {
  cv::Mat wall(kOutputHeight, kOutputWidth * kOutputs, CV_8UC1, cv::Scalar(0));
  const int side = kRegionCodeSide * kCell;
  for (int o = 0; o < kOutputs; ++o)
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kColumns; ++c) {
        const RegionCodeData data =
            EncodeRegionCode({static_cast<std::uint32_t>(o), static_cast<std::uint32_t>(r * kColumns + c)}, 1234);
        const int x0 = o * kOutputWidth + c * kOutputWidth / kColumns + (kOutputWidth / kColumns - side) / 2;
        const int y0 = r * kOutputHeight / kRows + (kOutputHeight / kRows - side) / 2;
        for (int row = 0; row < kRegionCodeSide; ++row)
          for (int column = 0; column < kRegionCodeSide; ++column)
            if (RegionCodeCellIsWhite(data, row, column))
              wall(cv::Rect(x0 + column * kCell, y0 + row * kCell, kCell, kCell)).setTo(255);
      }
  return wall;
}

std::string PhotoFile() {
  const cv::Mat wall = Wall();
  const float w = static_cast<float>(wall.cols), h = static_cast<float>(wall.rows);
  const cv::Point2f from[4] = {{0, 0}, {w, 0}, {w, h}, {0, h}};
  // 20 degrees off axis: the far side shorter.
  const cv::Point2f to[4] = {{100, 900}, {3900, 1050}, {3900, 1950}, {100, 2150}};
  cv::Mat photo;
  cv::warpPerspective(wall, photo, cv::getPerspectiveTransform(from, to), {4032, 3024}, cv::INTER_LINEAR,
                      cv::BORDER_CONSTANT, cv::Scalar(12));
  const std::string path = "/tmp/veltrima-wall-benchmark-" + std::to_string(::getpid()) + ".jpg";
  cv::imwrite(path, photo, {cv::IMWRITE_JPEG_QUALITY, 90});
  return path;
}

void ReadWallPhoto(benchmark::State& state) {
  static const std::string path = PhotoFile();
  std::size_t read = 0;
  for (auto _ : state) {
    const WallPhoto photo = LoadWallPhoto(path);
    read = ReadWall(photo.grey).regions.size();
    benchmark::DoNotOptimize(read);
  }
  state.SetLabel(std::to_string(read) + " of " + std::to_string(kOutputs * kRows * kColumns) +
                 " regions read, 4032x3024 JPEG");
  std::remove(path.c_str());
}
BENCHMARK(ReadWallPhoto)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
