#include "map/layout/LayoutError.h"

#include <cstddef>

namespace layout {

namespace {

char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string LayoutError::Message() const {
  if (where.compare(0, 5, "LINE ") == 0) return where + ": " + what;
  return what;
}

std::string Capitals(std::string_view path) {
  std::string subject;
  for (char c : path) subject += ToUpperAscii(c);
  return subject;
}

std::string QuoteForMessage(std::string_view text, std::size_t most) {
  std::string out;
  for (std::size_t i = 0; i < text.size() && i < most; ++i) {
    const char c = ToUpperAscii(text[i]);
    const bool kept = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                      c == ',' || c == ':' || c == '-' || c == '+' || c == ' ';
    out += kept ? c : '?';
  }
  if (text.size() > most) out += "..";
  return out;
}

}  // namespace layout
