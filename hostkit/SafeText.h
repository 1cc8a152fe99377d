// Reads a plug-in's text without trusting it: never past unmapped memory and
// never more than a bound, so an unterminated or dangling pointer is reported
// rather than crashing the validator.
#pragma once

#include <cstddef>
#include <string>

namespace hostkit {

constexpr std::size_t kTextBound = 4096;

struct SafeTextResult {
  bool ok = false;     // a terminator within the bound, all bytes readable
  std::string text;    // the bytes before the terminator (or those read)
  std::string problem; // why not ok: null, unreadable, unterminated
};

// Reads a zero-terminated text of at most `bound` bytes before its terminator.
SafeTextResult ReadText(const void* pointer, std::size_t bound = kTextBound);

// Copies `size` bytes when all are readable.
bool ReadBytes(const void* pointer, std::size_t size, void* into);

}  // namespace hostkit
