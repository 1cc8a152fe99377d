// The limits every layout parser and the file reader hold untrusted input
// to. Each one is checked where the input first could pass it, and each has
// its own message, built from the numbers here.
#pragma once

#include <cstddef>
#include <string>

namespace layout {

// A file: read at most this many bytes (plus one, to tell "exactly at the
// limit" from "beyond it").
constexpr std::size_t kMaxFileMiB = 16;
constexpr std::size_t kMaxFileBytes = kMaxFileMiB * 1024u * 1024u;
// Cabinets in one layout; also the largest chain position and screen number,
// since neither can usefully exceed the number of cabinets.
constexpr std::size_t kMaxCabinets = 10000;
// One CSV line, without its line end.
constexpr std::size_t kMaxCsvLineKiB = 64;
constexpr std::size_t kMaxCsvLineBytes = kMaxCsvLineKiB * 1024u;
// Positions and sizes, in pixels, either sign. Far beyond any wall, yet the
// right edge x + w of any cabinet stays inside 32 bits (Windows' long).
constexpr long kMaxCoordinate = 1000000;
// Output ports A..L; a port beyond L is an error, never wrapped, so that a
// typo cannot silently land a cabinet on another port.
constexpr int kMaxPorts = 12;
// Nesting of JSON arrays and objects; a layout needs three levels.
constexpr int kMaxJsonDepth = 32;

// The message of a file beyond kMaxFileBytes, from whichever part sees it.
inline std::string FileTooLargeMessage() {
  return "FILE IS LARGER THAN " + std::to_string(kMaxFileMiB) + " MIB";
}

// The message of a layout beyond kMaxCabinets.
inline std::string TooManyCabinetsMessage() {
  return "MORE THAN " + std::to_string(kMaxCabinets) + " CABINETS";
}

}  // namespace layout
