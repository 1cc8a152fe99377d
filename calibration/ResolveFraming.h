// The Resolve protocol's framing: each message is a 4-byte big-endian
// length, then that many bytes. Bytes go in as they arrive; whole messages
// come out. A length over kMaxResolveMessageBytes is refused before any of
// its bytes is kept, so a hostile length cannot make the buffer grow.
#pragma once

#include <cstdint>
#include <string>

namespace calibration {

class ResolveFraming {
 public:
  enum class Next { Message, NeedMore, TooLong };

  void Append(const char* bytes, size_t count) { buffer_.append(bytes, count); }

  // Moves the next whole message into `message`. TooLong leaves the stated
  // length in `statedLength`: the stream cannot be followed any more and the
  // connection has to close.
  Next Take(std::string& message, uint32_t& statedLength);

  // Bytes kept of a message not yet whole.
  size_t Pending() const { return buffer_.size() - start_; }
  void Clear();

 private:
  std::string buffer_;
  size_t start_ = 0;  // where the next message's length begins
};

}  // namespace calibration
