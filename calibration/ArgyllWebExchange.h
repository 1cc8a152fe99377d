// One long poll of ArgyllCMS's web display (dispwin, dispcal, dispread with
// -dweb:PORT), which is an HTTP server: the client asks
//   GET /ajax/messages?<the colour it shows, #RRGGBB> <a random number>
// and the answer's body is the next colour, #RRGGBB in 8 bits, or empty for
// "no change". The server answers once and closes, so each poll is a
// connection of its own.
//
// Limits: a reply is at most kMaxArgyllReplyBytes, header included; its
// status must be 200 and its body #RRGGBB (spaces and line ends around it
// ignored) or nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "calibration/PatchScene.h"

namespace calibration {

constexpr size_t kMaxArgyllReplyBytes = 4096;

struct Rgb8 {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb8& a, const Rgb8& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
  }
};

// The colour as sent: three 8-bit values.
SentCodes ToCodes(const Rgb8& colour);

// The whole request, `hostAndPort` as the Host header names the server.
std::string ArgyllPollRequest(std::string_view hostAndPort, const Rgb8& shown, uint32_t random);

struct ArgyllReply {
  enum class Kind { Incomplete, NoChange, Colour, Bad };
  Kind kind = Kind::Incomplete;
  Rgb8 colour;
  std::string error;  // Bad: capitals, for "BAD MESSAGE: "
};

// Reads the bytes received so far; `closed` says the server has closed, so
// they are all there will be.
ArgyllReply ReadArgyllReply(std::string_view received, bool closed);

}  // namespace calibration
