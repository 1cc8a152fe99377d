// What a parser answers: a layout, or the one error that stopped it. Error
// texts are shown on an LED wall in a 5x7 capitals font, so they are short,
// in capitals and ASCII only; text quoted from a file goes through
// QuoteForMessage first.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

namespace layout {

struct LayoutError {
  // Where the fault is: empty (the file as a whole), "LINE 12" (CSV and
  // XML), or a JSON path such as "cabinets[3].w" (0-based, as JSON tools
  // count).
  std::string where;
  // What is wrong, in capitals: "W IS NOT A NUMBER". Where the fault has a
  // path, the sentence starts with it: "CABINETS[3].W IS NOT A NUMBER".
  std::string what;

  // "LINE 12: W IS NOT A NUMBER" for a line; `what` alone otherwise (a path
  // is already the subject of its sentence).
  std::string Message() const;

  static LayoutError InFile(std::string what) { return {std::string(), std::move(what)}; }
  static LayoutError AtLine(std::size_t line, std::string what) {
    return {"LINE " + std::to_string(line), std::move(what)};
  }
  static LayoutError AtPath(std::string path, std::string what) {
    return {std::move(path), std::move(what)};
  }
};

// Either a value or a LayoutError. Callers test ok() before value().
template <typename T>
class Result {
 public:
  Result(T value) : state_(std::move(value)) {}            // NOLINT: implicit by design
  Result(LayoutError error) : state_(std::move(error)) {}  // NOLINT: implicit by design

  bool ok() const { return state_.index() == 0; }
  const T& value() const { return std::get<0>(state_); }
  T& value() { return std::get<0>(state_); }
  const LayoutError& error() const { return std::get<1>(state_); }

 private:
  std::variant<T, LayoutError> state_;
};

// Text from a file made fit for a message: letters in capitals, digits and
// ". , : - +" and spaces kept, anything else (other ASCII, control bytes,
// UTF-8) as '?', and cut to `most` characters with ".." after it when longer.
std::string QuoteForMessage(std::string_view text, std::size_t most = 16);

// ASCII letters in capitals, everything else as it is: a path of ours
// ("cabinets[3].w") as the subject of a message, a library's ASCII message.
std::string Capitals(std::string_view path);

}  // namespace layout
