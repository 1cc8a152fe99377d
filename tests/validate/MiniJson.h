// A small strict JSON reader for checking the validator's report: objects,
// arrays, strings (with \uXXXX for ASCII), numbers, true, false, null.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace minijson {

struct Value {
  enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Value> items;
  std::map<std::string, Value> members;

  // A member that must exist; throws std::runtime_error otherwise.
  const Value& operator[](const std::string& key) const;
};

// Throws std::runtime_error naming the offset of the first error.
Value Parse(const std::string& text);

}  // namespace minijson
