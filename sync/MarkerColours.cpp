#include "sync/MarkerColours.h"

namespace {

const std::array<MarkerColour, kMarkerColourCount> kTable = {{
    {"red", {1.0f, 0.0f, 0.0f, 1.0f}},        {"green", {0.0f, 1.0f, 0.0f, 1.0f}},
    {"blue", {0.0f, 0.0f, 1.0f, 1.0f}},       {"yellow", {1.0f, 1.0f, 0.0f, 1.0f}},
    {"cyan", {0.0f, 1.0f, 1.0f, 1.0f}},       {"magenta", {1.0f, 0.0f, 1.0f, 1.0f}},
    {"white", {1.0f, 1.0f, 1.0f, 1.0f}},      {"grey", {0.5f, 0.5f, 0.5f, 1.0f}},
    {"orange", {1.0f, 0.5f, 0.0f, 1.0f}},     {"lime", {0.5f, 1.0f, 0.0f, 1.0f}},
    {"spring green", {0.0f, 1.0f, 0.5f, 1.0f}}, {"azure", {0.0f, 0.5f, 1.0f, 1.0f}},
    {"violet", {0.5f, 0.0f, 1.0f, 1.0f}},     {"rose", {1.0f, 0.0f, 0.5f, 1.0f}},
    {"maroon", {0.5f, 0.0f, 0.0f, 1.0f}},     {"dark green", {0.0f, 0.5f, 0.0f, 1.0f}},
}};

}  // namespace

const std::array<MarkerColour, kMarkerColourCount>& MarkerColours() { return kTable; }
