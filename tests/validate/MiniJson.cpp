#include "MiniJson.h"

#include <cstdlib>
#include <stdexcept>

namespace minijson {
namespace {

class Reader {
 public:
  explicit Reader(const std::string& text) : text_(text) {}

  Value Document() {
    Value value = Any();
    Skip();
    if (at_ != text_.size()) Fail("text after the document");
    return value;
  }

 private:
  [[noreturn]] void Fail(const std::string& why) const {
    throw std::runtime_error("JSON error at offset " + std::to_string(at_) + ": " + why);
  }
  void Skip() {
    while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
      ++at_;
  }
  char Peek() {
    Skip();
    if (at_ >= text_.size()) Fail("unexpected end");
    return text_[at_];
  }
  void Expect(char c) {
    if (Peek() != c) Fail(std::string("expected '") + c + "'");
    ++at_;
  }
  bool Word(const char* word) {
    const std::string w = word;
    if (text_.compare(at_, w.size(), w) != 0) return false;
    at_ += w.size();
    return true;
  }

  Value Any() {
    const char c = Peek();
    Value value;
    if (c == '{') {
      value.kind = Value::Kind::Object;
      ++at_;
      if (Peek() == '}') {
        ++at_;
        return value;
      }
      while (true) {
        const std::string key = String();
        Expect(':');
        value.members[key] = Any();
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect('}');
        return value;
      }
    }
    if (c == '[') {
      value.kind = Value::Kind::Array;
      ++at_;
      if (Peek() == ']') {
        ++at_;
        return value;
      }
      while (true) {
        value.items.push_back(Any());
        if (Peek() == ',') {
          ++at_;
          continue;
        }
        Expect(']');
        return value;
      }
    }
    if (c == '"') {
      value.kind = Value::Kind::String;
      value.text = String();
      return value;
    }
    if (Word("true") || Word("false")) {
      value.kind = Value::Kind::Bool;
      value.boolean = text_[at_ - 1] == 'e' && text_[at_ - 2] == 'u';
      return value;
    }
    if (Word("null")) return value;
    const char* start = text_.c_str() + at_;
    char* end = nullptr;
    value.number = std::strtod(start, &end);
    if (end == start) Fail("no value");
    at_ += static_cast<std::size_t>(end - start);
    value.kind = Value::Kind::Number;
    return value;
  }

  std::string String() {
    Expect('"');
    std::string out;
    while (true) {
      if (at_ >= text_.size()) Fail("unterminated string");
      const char c = text_[at_++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) Fail("control character in a string");
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) Fail("unterminated escape");
      const char e = text_[at_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'u': {
          if (at_ + 4 > text_.size()) Fail("short \\u escape");
          const long code = std::strtol(text_.substr(at_, 4).c_str(), nullptr, 16);
          at_ += 4;
          out += code < 0x80 ? static_cast<char>(code) : '?';
          break;
        }
        default: Fail("unknown escape");
      }
    }
  }

  const std::string& text_;
  std::size_t at_ = 0;
};

}  // namespace

const Value& Value::operator[](const std::string& key) const {
  const auto found = members.find(key);
  if (kind != Kind::Object || found == members.end()) throw std::runtime_error("no member \"" + key + "\"");
  return found->second;
}

Value Parse(const std::string& text) { return Reader(text).Document(); }

}  // namespace minijson
