// PNG files of RGBA images: 8- and 16-bit writing, reading of either depth.
// Rows are stored top-down, four channels per pixel, no gamma or colour-space
// conversion in either direction.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// An image read from a file. `rgba` holds width * height * 4 values, rows
// top-down; 8-bit files are widened to 16 bits as v * 257 (so 255 -> 65535).
struct Image {
  int width = 0, height = 0;
  int bitDepth = 0;  // of the file: 8 or 16
  std::vector<std::uint16_t> rgba;
};

// A cICP chunk: what the pixels hold as ITU-T H.273 code points (colour
// primaries, transfer characteristics, matrix coefficients, which PNG fixes
// at 0 for RGB, and whether the range is full).
struct PngColour {
  std::uint8_t primaries = 1;
  std::uint8_t transfer = 1;
  std::uint8_t matrix = 0;
  bool fullRange = true;
};

// Writes width x height pixels of 8-bit RGBA, with a cICP chunk when
// `colour` is given. The file appears complete or
// not at all: it is written under a temporary name and renamed at the end.
// Throws std::runtime_error naming the path and the reason.
void WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba8,
              const std::optional<PngColour>& colour = std::nullopt);
// The same with 16 bits per channel.
void WritePng16(const std::string& path, int width, int height, const std::uint16_t* rgba16,
                const std::optional<PngColour>& colour = std::nullopt);

// Reads any PNG whose pixels are or can be expanded to RGBA (grey, palette
// and missing alpha are expanded; alpha 1 is added). Keeps 16-bit samples as
// they are. Throws std::runtime_error naming the path and the reason.
Image ReadPng(const std::string& path);

// Float RGBA to 16 bits per channel: round(clamp(v, 0, 1) * 65535).
std::vector<std::uint16_t> ToRgba16(const std::vector<float>& rgba);
