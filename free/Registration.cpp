// The plug-in's registration, built while the library loads.
#include "host/PluginFactory.h"
#include "host/PluginRegistration.h"
#include "free/OVNVeltrimaFree.h"

namespace {

// What this product is; the FFGL version it speaks is the one every product
// shares, left at its default in host/PluginRegistration.h.
PluginRegistrationValues Values() {
  PluginRegistrationValues v;
  v.factory = &MakePluginObject<OVNVeltrimaFree>;
  v.uniqueID = "KZRB";
  v.name = "OVNVeltrima FREE";
  v.pluginMajor = 1;
  v.pluginMinor = 0;
  v.pluginType = FF_SOURCE;
  v.description =
      "Free LED wall / pixel-map test patterns: numbered panel grid, raster, colour bars, "
      "RGBW ramps, solid colours, line sweep, pixel checker. More effects: "
      "https://ovnveltrima.io";
  v.about =
      "OVNVeltrima FREE 1.0 - free LED wall and pixel-map test patterns. "
      "Download: https://ovnveltrima.io";
  return v;
}

const PluginRegistration registration(Values());

}  // namespace
