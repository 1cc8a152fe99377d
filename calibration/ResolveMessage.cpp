#include "calibration/ResolveMessage.h"

#include <charconv>
#include <cmath>

#include <pugixml.hpp>

namespace calibration {

namespace {

// A rectangle may end a hair past the edge: programs print fractions with
// four decimals, so 0.3333 + 0.6667 may round to just over 1.
constexpr double kEdgeSlack = 1e-3;

// Thrown inside this file only, caught by ParseResolveMessage.
struct Refusal {
  std::string reason;
};

// Text for the screen: printable ASCII in capitals, cut at `most` characters
// (text quoted from a message is cut short; it may be anything).
std::string Upper(std::string_view text, size_t most = 24) {
  std::string result;
  for (char c : text.substr(0, most)) {
    const bool printable = c >= 0x20 && c < 0x7f;
    result += printable ? static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c) : '?';
  }
  return result;
}

uint32_t WholeNumber(const pugi::xml_node& element, const char* name, const char* label) {
  const pugi::xml_attribute attribute = element.attribute(name);
  if (!attribute) throw Refusal{Upper(label) + " HAS NO " + Upper(name)};
  const std::string_view text = attribute.value();
  uint32_t value = 0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || status != std::errc() || end != text.data() + text.size()) {
    throw Refusal{Upper(label) + " " + Upper(name) + " '" + Upper(text) + "' IS NOT A WHOLE NUMBER"};
  }
  return value;
}

SentCodes CodesOf(const pugi::xml_node& element, const char* label) {
  int bits = 8;
  if (element.attribute("bits")) {
    const uint32_t stated = WholeNumber(element, "bits", label);
    if (stated != 8 && stated != 10) {
      throw Refusal{Upper(label) + " BITS " + std::to_string(stated) + " IS NOT 8 OR 10"};
    }
    bits = static_cast<int>(stated);
  }
  const uint32_t largest = (1u << bits) - 1;
  uint16_t codes[3] = {};
  const char* names[3] = {"red", "green", "blue"};
  for (int i = 0; i < 3; ++i) {
    const uint32_t value = WholeNumber(element, names[i], label);
    if (value > largest) {
      throw Refusal{Upper(label) + " " + Upper(names[i]) + " " + std::to_string(value) + " OVER " +
                    std::to_string(largest) + " (" + std::to_string(bits) + " BITS)"};
    }
    codes[i] = static_cast<uint16_t>(value);
  }
  return SentCodes{codes[0], codes[1], codes[2], static_cast<uint8_t>(bits)};
}

double Fraction(const pugi::xml_node& element, const char* name) {
  const pugi::xml_attribute attribute = element.attribute(name);
  if (!attribute) throw Refusal{"GEOMETRY HAS NO " + Upper(name)};
  std::string_view text = attribute.value();
  double value = 0.0;
  const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || status != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    throw Refusal{"GEOMETRY " + Upper(name) + " '" + Upper(text) + "' IS NOT A NUMBER"};
  }
  if (value < 0.0 || value > 1.0) {
    throw Refusal{"GEOMETRY " + Upper(name) + " " + Upper(text) + " IS NOT 0-1"};
  }
  return value;
}

Geometry GeometryOf(const pugi::xml_node& element) {
  Geometry geometry;
  if (!element) return geometry;  // the whole output
  geometry.x = Fraction(element, "x");
  geometry.y = Fraction(element, "y");
  geometry.width = Fraction(element, "cx");
  geometry.height = Fraction(element, "cy");
  if (geometry.x + geometry.width > 1.0 + kEdgeSlack ||
      geometry.y + geometry.height > 1.0 + kEdgeSlack) {
    throw Refusal{"GEOMETRY ENDS OUTSIDE THE OUTPUT"};
  }
  return geometry;
}

pugi::xml_node OneChild(const pugi::xml_node& parent, const char* name, const char* parentLabel) {
  const pugi::xml_node first = parent.child(name);
  if (first && first.next_sibling(name)) {
    throw Refusal{Upper(parentLabel) + " HAS MORE THAN ONE " + Upper(name)};
  }
  return first;
}

PatchScene ShapesScene(const pugi::xml_node& shapes) {
  PatchScene scene;  // over black
  for (const pugi::xml_node& rectangle : shapes.children("rectangle")) {
    if (scene.rectangles.size() == kMaxRectangles) {
      throw Refusal{"MORE THAN " + std::to_string(kMaxRectangles) + " RECTANGLES"};
    }
    const pugi::xml_node colour = OneChild(rectangle, "color", "rectangle");
    if (!colour) throw Refusal{"RECTANGLE HAS NO COLOR"};
    scene.rectangles.push_back({CodesOf(colour, "color"),
                                GeometryOf(OneChild(rectangle, "geometry", "rectangle"))});
  }
  if (scene.rectangles.empty()) throw Refusal{"SHAPES HAS NO RECTANGLE"};
  return scene;
}

PatchScene PatchFormScene(const pugi::xml_node& root) {
  const pugi::xml_node colour = OneChild(root, "color", "calibration");
  if (!colour) throw Refusal{"NO COLOR AND NO SHAPES"};
  PatchScene scene;
  if (const pugi::xml_node background = OneChild(root, "background", "calibration")) {
    scene.background = CodesOf(background, "background");
  }
  scene.rectangles.push_back(
      {CodesOf(colour, "color"), GeometryOf(OneChild(root, "geometry", "calibration"))});
  return scene;
}

}  // namespace

ResolveParse ParseResolveMessage(std::string_view xml) {
  ResolveParse result;
  try {
    if (xml.size() > kMaxResolveMessageBytes) throw Refusal{"MESSAGE OVER 64 KIB"};
    // pugixml expands no entity but its five predefined ones, yet a message
    // that declares any is no calibration message: refuse it whole.
    if (xml.find("<!DOCTYPE") != std::string_view::npos ||
        xml.find("<!ENTITY") != std::string_view::npos) {
      throw Refusal{"DOCUMENT TYPE DECLARATIONS ARE NOT ALLOWED"};
    }
    pugi::xml_document document;
    const pugi::xml_parse_result parsed =
        document.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
    if (!parsed) {
      throw Refusal{"NOT XML (" + Upper(parsed.description(), 64) + " AT BYTE " +
                    std::to_string(parsed.offset) + ")"};
    }
    const pugi::xml_node root = document.document_element();
    if (std::string_view(root.name()) != "calibration") {
      throw Refusal{"ROOT <" + Upper(root.name()) + "> IS NOT <CALIBRATION>"};
    }
    const pugi::xml_node shapes = OneChild(root, "shapes", "calibration");
    if (shapes && root.child("color")) throw Refusal{"BOTH COLOR AND SHAPES"};
    result.scene = shapes ? ShapesScene(shapes) : PatchFormScene(root);
    result.ok = true;
  } catch (const Refusal& refusal) {
    result.error = refusal.reason;
  } catch (const std::exception&) {
    result.error = "OUT OF MEMORY";
  }
  return result;
}

}  // namespace calibration
