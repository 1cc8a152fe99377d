// Fuzzes what the calibration client reads from the network: the same bytes
// go through the Resolve framing (in chunks the first byte sizes), the
// Resolve XML parser, the ArgyllCMS Web reply reader and the Server text.
// Beyond not crashing, every answer must keep its promises: a scene's values
// are under 2^bits of 8 or 10 bits, its fractions inside the output, its
// rectangles within the limit, and every refusal printable in the wall's
// capitals font; a broken promise aborts, so the fuzzer reports it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "calibration/ArgyllWebExchange.h"
#include "calibration/ResolveFraming.h"
#include "calibration/ResolveMessage.h"
#include "calibration/ServerAddress.h"

namespace {

using namespace calibration;

void Require(bool promise) {
  if (!promise) std::abort();
}

void CheckMessage(const std::string& message) {
  Require(!message.empty());
  for (char c : message) Require(c >= ' ' && c <= '~' && !(c >= 'a' && c <= 'z'));
}

void CheckCodes(const SentCodes& codes) {
  Require(codes.bits == 8 || codes.bits == 10);
  const unsigned largest = (1u << codes.bits) - 1;
  Require(codes.red <= largest && codes.green <= largest && codes.blue <= largest);
}

void CheckParse(const ResolveParse& parsed) {
  if (!parsed.ok) {
    CheckMessage(parsed.error);
    return;
  }
  CheckCodes(parsed.scene.background);
  Require(!parsed.scene.rectangles.empty() && parsed.scene.rectangles.size() <= kMaxRectangles);
  for (const PatchRectangle& rectangle : parsed.scene.rectangles) {
    CheckCodes(rectangle.colour);
    const Geometry& g = rectangle.geometry;
    Require(g.x >= 0 && g.y >= 0 && g.width >= 0 && g.height >= 0);
    Require(g.x + g.width <= 1.01 && g.y + g.height <= 1.01);
    const PixelRect edges = EdgesAt(g, 1920, 1080);
    Require(edges.left >= 0 && edges.left <= edges.right && edges.right <= 1920);
    Require(edges.top >= 0 && edges.top <= edges.bottom && edges.bottom <= 1080);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  CheckParse(ParseResolveMessage(bytes));

  if (!bytes.empty()) {
    const size_t chunk = 1 + static_cast<uint8_t>(bytes[0]) % 16;
    ResolveFraming framing;
    std::string message;
    uint32_t stated = 0;
    for (size_t at = 1; at < bytes.size(); at += chunk) {
      const std::string_view piece = bytes.substr(at, chunk);
      framing.Append(piece.data(), piece.size());
      ResolveFraming::Next next;
      while ((next = framing.Take(message, stated)) == ResolveFraming::Next::Message) {
        Require(message.size() <= kMaxResolveMessageBytes);
        CheckParse(ParseResolveMessage(message));
      }
      if (next == ResolveFraming::Next::TooLong) {
        Require(stated > kMaxResolveMessageBytes);
        break;
      }
      Require(framing.Pending() < 4 + kMaxResolveMessageBytes + chunk);
    }
  }

  for (bool closed : {false, true}) {
    const ArgyllReply reply = ReadArgyllReply(bytes, closed);
    if (reply.kind == ArgyllReply::Kind::Bad) CheckMessage(reply.error);
    if (closed) Require(reply.kind != ArgyllReply::Kind::Incomplete);
  }

  const AddressResult address = ParseServerAddress(bytes, "127.0.0.1:20002");
  if (!address.ok) CheckMessage(address.error);
  return 0;
}
