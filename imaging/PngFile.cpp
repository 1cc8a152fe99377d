#include "imaging/PngFile.h"

#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

// libpng reports errors through a callback that must not return; it longjmps
// back to the setjmp of the function that drives libpng, which turns the
// stored message into an exception once it is out of libpng's frames. The
// functions holding a setjmp keep no C++ objects of their own: everything
// that owns memory lives in the caller's frame.
struct ErrorSink {
  char message[256] = "unknown libpng error";
};

[[noreturn]] void OnError(png_structp png, png_const_charp message) {
  auto* sink = static_cast<ErrorSink*>(png_get_error_ptr(png));
  std::snprintf(sink->message, sizeof sink->message, "%s", message);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

[[noreturn]] void Fail(const std::string& path, const std::string& reason) {
  throw std::runtime_error("PNG " + path + ": " + reason);
}

// Writes big-endian sample rows (as PNG stores them) to an open file, with
// the cICP chunk `cicp` (four bytes) unless it is null.
bool EncodeRows(std::FILE* file, png_uint_32 width, png_uint_32 height, int bitDepth,
                png_bytepp rows, png_byte* cicp, ErrorSink* sink) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, width, height, bitDepth, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (cicp) {
    // libpng 1.6.39 has no call for cICP: it goes out as a chunk libpng does
    // not know, kept although its name marks it unsafe to copy, and placed
    // after IHDR, before the image data, where the chunk must stand.
    static const png_byte kName[5] = {'c', 'I', 'C', 'P', '\0'};
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, kName, 1);
    png_unknown_chunk chunk{};
    std::memcpy(chunk.name, kName, sizeof kName);
    chunk.data = cicp;
    chunk.size = 4;
    chunk.location = PNG_HAVE_IHDR;
    png_set_unknown_chunks(png, info, &chunk, 1);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

// Writes `bytes` (rows of big-endian samples) under a temporary name in the
// target's folder and renames it into place.
void WriteFile(const std::string& path, int width, int height, int bitDepth,
               std::vector<png_byte>& bytes, const std::optional<PngColour>& colour) {
  png_byte cicp[4] = {};
  if (colour) {
    cicp[0] = colour->primaries;
    cicp[1] = colour->transfer;
    cicp[2] = colour->matrix;
    cicp[3] = colour->fullRange ? 1 : 0;
  }
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4 * (bitDepth / 8);
  std::vector<png_bytep> rows(static_cast<std::size_t>(height));
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = bytes.data() + y * rowBytes;

  const std::string temporary = path + ".part-" + std::to_string(::getpid());
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  if (!file) Fail(path, std::string("cannot create: ") + std::strerror(errno));
  ErrorSink sink;
  const bool encoded = EncodeRows(file, static_cast<png_uint_32>(width),
                                  static_cast<png_uint_32>(height), bitDepth, rows.data(),
                                  colour ? cicp : nullptr, &sink);
  const bool flushed = std::fflush(file) == 0;
  const int flushError = errno;
  const bool closed = std::fclose(file) == 0;
  if (!encoded || !flushed || !closed) {
    std::remove(temporary.c_str());
    Fail(path, encoded ? std::string("cannot write: ") + std::strerror(flushError)
                       : std::string(sink.message));
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int renameError = errno;
    std::remove(temporary.c_str());
    Fail(path, std::string("cannot rename into place: ") + std::strerror(renameError));
  }
}

void CheckSize(const std::string& path, int width, int height, const void* pixels) {
  if (width <= 0 || height <= 0)
    Fail(path, "cannot write an image of " + std::to_string(width) + "x" +
                   std::to_string(height) + " pixels");
  if (!pixels) Fail(path, "no pixels to write");
}

struct Decoded {
  png_uint_32 width = 0, height = 0;
  int bitDepth = 0;
  std::vector<png_byte> bytes;
  std::vector<png_bytep> rows;
};

// Decodes an open file whose 8-byte signature was already read and checked,
// expanded to RGBA of 8 or 16 bits. `out` lives in the caller's frame.
bool DecodeRows(std::FILE* file, Decoded* out, ErrorSink* sink) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, sink, OnError, OnWarning);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  const int fileDepth = png_get_bit_depth(png, info);
  if (!(png_get_color_type(png, info) & PNG_COLOR_MASK_ALPHA) &&
      !png_get_valid(png, info, PNG_INFO_tRNS))
    png_set_add_alpha(png, fileDepth == 16 ? 0xFFFF : 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  out->width = png_get_image_width(png, info);
  out->height = png_get_image_height(png, info);
  out->bitDepth = png_get_bit_depth(png, info);
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  out->bytes.resize(rowBytes * out->height);
  out->rows.resize(out->height);
  for (std::size_t y = 0; y < out->rows.size(); ++y) out->rows[y] = out->bytes.data() + y * rowBytes;
  png_read_image(png, out->rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

void WritePng(const std::string& path, int width, int height, const std::uint8_t* rgba8,
              const std::optional<PngColour>& colour) {
  CheckSize(path, width, height, rgba8);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  std::vector<png_byte> bytes(rgba8, rgba8 + count);
  WriteFile(path, width, height, 8, bytes, colour);
}

void WritePng16(const std::string& path, int width, int height, const std::uint16_t* rgba16,
                const std::optional<PngColour>& colour) {
  CheckSize(path, width, height, rgba16);
  const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
  std::vector<png_byte> bytes(count * 2);
  for (std::size_t i = 0; i < count; ++i) {  // PNG samples are big-endian
    bytes[2 * i] = static_cast<png_byte>(rgba16[i] >> 8);
    bytes[2 * i + 1] = static_cast<png_byte>(rgba16[i] & 0xFF);
  }
  WriteFile(path, width, height, 16, bytes, colour);
}

Image ReadPng(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) Fail(path, std::string("cannot open: ") + std::strerror(errno));
  png_byte signature[8] = {};
  const std::size_t got = std::fread(signature, 1, sizeof signature, file);
  if (got != sizeof signature || png_sig_cmp(signature, 0, sizeof signature) != 0) {
    std::fclose(file);
    Fail(path, "not a PNG file (bad signature)");
  }
  Decoded decoded;
  ErrorSink sink;
  const bool ok = DecodeRows(file, &decoded, &sink);
  std::fclose(file);
  if (!ok) Fail(path, sink.message);

  Image image;
  image.width = static_cast<int>(decoded.width);
  image.height = static_cast<int>(decoded.height);
  image.bitDepth = decoded.bitDepth;
  const std::size_t count = static_cast<std::size_t>(decoded.width) * decoded.height * 4;
  image.rgba.resize(count);
  if (decoded.bitDepth == 16) {
    for (std::size_t i = 0; i < count; ++i)
      image.rgba[i] = static_cast<std::uint16_t>(decoded.bytes[2 * i] << 8 | decoded.bytes[2 * i + 1]);
  } else if (decoded.bitDepth == 8) {
    for (std::size_t i = 0; i < count; ++i)
      image.rgba[i] = static_cast<std::uint16_t>(decoded.bytes[i] * 257);
  } else {
    Fail(path, "unexpected bit depth " + std::to_string(decoded.bitDepth) + " after expansion");
  }
  return image;
}

std::vector<std::uint16_t> ToRgba16(const std::vector<float>& rgba) {
  std::vector<std::uint16_t> out(rgba.size());
  for (std::size_t i = 0; i < rgba.size(); ++i) {
    const float v = rgba[i] > 0.0f ? std::min(rgba[i], 1.0f) : 0.0f;  // NaN -> 0
    out[i] = static_cast<std::uint16_t>(std::lround(static_cast<double>(v) * 65535.0));
  }
  return out;
}
