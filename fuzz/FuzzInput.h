// Reads a fuzz input as a stream of small decisions. Past the end every
// read answers 0, so any input decodes to a finite sequence of calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool Empty() const { return at_ >= size_; }

  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

  std::uint32_t Word() {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
    return value;
  }

  // Copies the next `count` bytes into `out`, zero past the end.
  void Bytes(void* out, std::size_t count) {
    auto* bytes = static_cast<std::uint8_t*>(out);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = Byte();
  }

  // A number in [0, bound), bound > 0.
  std::uint32_t Below(std::uint32_t bound) { return Byte() % bound; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};
