// Blanks in layout text: the spaces and tabs every text parser trims from
// around a field or an attribute's value.
#pragma once

#include <string_view>

namespace layout {

inline bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// `s` without its leading and trailing spaces and tabs.
inline std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

}  // namespace layout
