// The "Server" text: a numeric address and a port, HOST:PORT. Names are not
// looked up: a lookup can wait seconds on a missing DNS server, and the frame
// must never wait, so "localhost" is refused with a message saying to type
// 127.0.0.1. IPv4 as a.b.c.d:port, IPv6 in brackets as [::1]:port.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace calibration {

struct ServerAddress {
  bool ipv6 = false;
  uint8_t bytes[16] = {};  // network order; IPv4 uses the first 4
  uint16_t port = 0;
  std::string text;  // as typed, normalised: "127.0.0.1:20002"
};

struct AddressResult {
  bool ok = false;
  ServerAddress address;
  std::string error;  // capitals, for the screen: "NOT HOST:PORT"
};

// Parses `text` (surrounding spaces ignored); an empty text means
// `defaultText`.
AddressResult ParseServerAddress(std::string_view text, std::string_view defaultText);

}  // namespace calibration
