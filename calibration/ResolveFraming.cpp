#include "calibration/ResolveFraming.h"

#include "calibration/ResolveMessage.h"

namespace calibration {

ResolveFraming::Next ResolveFraming::Take(std::string& message, uint32_t& statedLength) {
  if (Pending() < 4) return Next::NeedMore;
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(buffer_[start_ + i]); };
  statedLength = uint32_t{byte(0)} << 24 | uint32_t{byte(1)} << 16 | uint32_t{byte(2)} << 8 | byte(3);
  if (statedLength > kMaxResolveMessageBytes) return Next::TooLong;
  if (Pending() < 4 + size_t{statedLength}) return Next::NeedMore;
  message.assign(buffer_, start_ + 4, statedLength);
  start_ += 4 + size_t{statedLength};
  // Drop what was taken once it is most of the buffer, so the buffer stays
  // at about one message whatever the stream's length.
  if (start_ > buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
  return Next::Message;
}

void ResolveFraming::Clear() {
  buffer_.clear();
  start_ = 0;
}

}  // namespace calibration
