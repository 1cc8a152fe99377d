#include "calibration/ArgyllWebExchange.h"

#include <charconv>
#include <cstdio>

namespace calibration {

namespace {

ArgyllReply Bad(std::string error) {
  ArgyllReply reply;
  reply.kind = ArgyllReply::Kind::Bad;
  reply.error = std::move(error);
  return reply;
}

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Quoted text from the server, made safe for the screen: printable ASCII in
// capitals, at most 16 characters.
std::string Quoted(std::string_view text) {
  std::string result = "'";
  for (char c : text.substr(0, 16)) result += c >= 0x20 && c < 0x7f ? UpperAscii(c) : '?';
  if (text.size() > 16) result += "...";
  return result + "'";
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (UpperAscii(text[i]) != UpperAscii(prefix[i])) return false;
  }
  return true;
}

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = UpperAscii(c);
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The Content-Length header's value, or -1 when there is none.
long ContentLength(std::string_view header) {
  size_t lineStart = header.find("\r\n");
  while (lineStart != std::string_view::npos && lineStart + 2 < header.size()) {
    const std::string_view rest = header.substr(lineStart + 2);
    if (StartsWithNoCase(rest, "content-length:")) {
      const std::string_view value = Trimmed(rest.substr(15, rest.find("\r\n") - 15));
      long length = -1;
      const auto [end, status] = std::from_chars(value.data(), value.data() + value.size(), length);
      if (status != std::errc() || end != value.data() + value.size() || length < 0) return -2;
      return length;
    }
    lineStart = header.find("\r\n", lineStart + 2);
  }
  return -1;
}

}  // namespace

SentCodes ToCodes(const Rgb8& colour) { return SentCodes{colour.red, colour.green, colour.blue, 8}; }

std::string ArgyllPollRequest(std::string_view hostAndPort, const Rgb8& shown, uint32_t random) {
  // The query is "#RRGGBB 0.NNNNNN" with '#' and the space escaped, as a
  // browser sends it; the random number keeps caches from answering.
  char query[64];
  std::snprintf(query, sizeof query, "%%23%02X%02X%02X%%200.%06u", shown.red, shown.green,
                shown.blue, random % 1000000u);
  std::string request = "GET /ajax/messages?";
  request += query;
  request += " HTTP/1.1\r\nHost: ";
  request += hostAndPort;
  request += "\r\nCache-Control: no-cache\r\nConnection: close\r\n\r\n";
  return request;
}

ArgyllReply ReadArgyllReply(std::string_view received, bool closed) {
  if (received.size() > kMaxArgyllReplyBytes) return Bad("REPLY OVER 4096 BYTES");
  const size_t headerEnd = received.find("\r\n\r\n");
  if (headerEnd == std::string_view::npos) {
    if (!closed) return ArgyllReply{};
    return Bad(received.empty() ? "NO REPLY" : "REPLY CUT SHORT");
  }
  const std::string_view header = received.substr(0, headerEnd);
  std::string_view body = received.substr(headerEnd + 4);

  if (!StartsWithNoCase(header, "HTTP/1.")) return Bad("NOT HTTP: " + Quoted(header));
  if (header.size() < 12 || header[8] != ' ') return Bad("NOT HTTP: " + Quoted(header));
  const std::string_view statusCode = header.substr(9, 3);
  if (statusCode != "200") return Bad("HTTP " + Quoted(header.substr(9, header.find("\r\n") - 9)));

  const long length = ContentLength(header);
  if (length == -2) return Bad("BAD CONTENT-LENGTH");
  if (length >= 0) {
    if (body.size() < static_cast<size_t>(length)) {
      if (!closed) return ArgyllReply{};
      return Bad("REPLY CUT SHORT");
    }
    body = body.substr(0, static_cast<size_t>(length));
  } else if (!closed) {
    return ArgyllReply{};  // the body ends where the server closes
  }

  body = Trimmed(body);
  ArgyllReply reply;
  if (body.empty()) {
    reply.kind = ArgyllReply::Kind::NoChange;
    return reply;
  }
  if (body.size() != 7 || body[0] != '#') return Bad("REPLY " + Quoted(body) + " IS NOT #RRGGBB");
  uint8_t channels[3] = {};
  for (int i = 0; i < 3; ++i) {
    const int high = HexDigit(body[1 + 2 * i]);
    const int low = HexDigit(body[2 + 2 * i]);
    if (high < 0 || low < 0) return Bad("REPLY " + Quoted(body) + " IS NOT #RRGGBB");
    channels[i] = static_cast<uint8_t>(high * 16 + low);
  }
  reply.kind = ArgyllReply::Kind::Colour;
  reply.colour = Rgb8{channels[0], channels[1], channels[2]};
  return reply;
}

}  // namespace calibration
