#include "calibration/ServerAddress.h"

#include <charconv>
#include <cstring>

#include "calibration/SocketHeaders.h"

namespace calibration {

namespace {

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

AddressResult Refused(std::string error) {
  AddressResult result;
  result.error = std::move(error);
  return result;
}

}  // namespace

AddressResult ParseServerAddress(std::string_view text, std::string_view defaultText) {
  text = Trimmed(text);
  if (text.empty()) text = defaultText;
  if (text.size() > 64) return Refused("SERVER TEXT TOO LONG");

  const size_t colon = text.rfind(':');
  if (colon == std::string_view::npos) return Refused("SERVER IS NOT HOST:PORT");
  std::string_view host = text.substr(0, colon);
  const std::string_view portText = text.substr(colon + 1);

  unsigned port = 0;
  const auto [end, status] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
  if (portText.empty() || status != std::errc() || end != portText.data() + portText.size() ||
      port == 0 || port > 65535) {
    return Refused("SERVER PORT IS NOT 1-65535");
  }

  AddressResult result;
  result.address.port = static_cast<uint16_t>(port);
  const bool bracketed = host.size() >= 2 && host.front() == '[' && host.back() == ']';
  if (bracketed) host = host.substr(1, host.size() - 2);
  const std::string hostText(host);
  if (bracketed) {
    result.address.ipv6 = true;
    if (inet_pton(AF_INET6, hostText.c_str(), result.address.bytes) != 1) {
      return Refused("SERVER IS NOT A NUMERIC ADDRESS (TYPE [::1]:PORT)");
    }
  } else if (inet_pton(AF_INET, hostText.c_str(), result.address.bytes) != 1) {
    return Refused("SERVER IS NOT A NUMERIC ADDRESS (TYPE 127.0.0.1:PORT)");
  }
  result.address.text = std::string(text);
  result.ok = true;
  return result;
}

}  // namespace calibration
