#include "tools/sync-read/WallPhoto.h"

#include <opencv2/imgcodecs.hpp>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace {

// At most this much of the file is searched for the JPEG frame header.
constexpr std::size_t kHeaderSearchBytes = 1 << 20;

int BigEndian16(const std::vector<unsigned char>& b, std::size_t at) { return b[at] << 8 | b[at + 1]; }

// Width and height as the PNG or JPEG header states them; empty for any
// other file, or a header cut short.
std::optional<std::pair<std::int64_t, std::int64_t>> StatedSize(const std::vector<unsigned char>& b) {
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (b.size() >= 24 && std::equal(std::begin(kPng), std::end(kPng), b.begin())) {
    const auto word = [&](std::size_t at) {
      return std::int64_t{b[at]} << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
    };
    return std::make_pair(word(16), word(20));
  }
  if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return std::nullopt;
  // JPEG: segments after the start marker, to the first frame header (SOF0
  // to SOF15 but for DHT, JPG and DAC, which share the range).
  std::size_t at = 2;
  while (at + 9 <= b.size()) {
    if (b[at] != 0xFF) return std::nullopt;
    const int marker = b[at + 1];
    if (marker == 0xFF) {
      ++at;
      continue;
    }
    if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC)
      return std::make_pair(std::int64_t{BigEndian16(b, at + 7)}, std::int64_t{BigEndian16(b, at + 5)});
    at += 2 + static_cast<std::size_t>(BigEndian16(b, at + 2));
  }
  return std::nullopt;
}

}  // namespace

WallPhoto LoadWallPhoto(const std::string& path) {
  WallPhoto photo;
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    photo.error = "cannot open the file";
    return photo;
  }
  std::vector<unsigned char> head(kHeaderSearchBytes);
  file.read(reinterpret_cast<char*>(head.data()), static_cast<std::streamsize>(head.size()));
  head.resize(static_cast<std::size_t>(file.gcount()));
  const auto size = StatedSize(head);
  if (!size) {
    photo.error = "not a PNG or JPEG file";
    return photo;
  }
  // Refused before any pixel is decoded: a header can state any size.
  if (size->first < 1 || size->second < 1 || size->first * size->second > kMaxWallPhotoPixels) {
    photo.error = "its header states " + std::to_string(size->first) + "x" + std::to_string(size->second) +
                  " pixels; the reader takes up to " + std::to_string(kMaxWallPhotoPixels >> 20) +
                  " megapixels";
    return photo;
  }
  // A file cut short decodes as far as it goes, the rest grey: refused, so
  // that a half photo is never read as half a wall.
  const bool png = head[0] == 0x89;
  file.clear();
  file.seekg(-12, std::ios::end);
  unsigned char tail[12] = {};
  file.read(reinterpret_cast<char*>(tail), sizeof tail);
  static const unsigned char kPngEnd[] = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  const bool whole = file.gcount() == static_cast<std::streamsize>(sizeof tail) &&
                     (png ? std::equal(std::begin(kPngEnd), std::end(kPngEnd), tail)
                          : tail[10] == 0xFF && tail[11] == 0xD9);
  if (!whole) {
    photo.error = std::string("the ") + (png ? "PNG" : "JPEG") + " file is cut short";
    return photo;
  }
  try {
    photo.grey = cv::imread(path, cv::IMREAD_GRAYSCALE);
  } catch (const cv::Exception&) {
    photo.grey.release();
  }
  if (photo.grey.empty()) photo.error = "the PNG or JPEG could not be decoded";
  return photo;
}
