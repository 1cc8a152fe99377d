// The plug-in's registration, built while the library loads.
#include "host/PluginFactory.h"
#include "host/PluginRegistration.h"
#include "sync/OVNVeltrimaSync.h"

namespace {

// What this product is; the FFGL version it speaks is the one every product
// shares, left at its default in host/PluginRegistration.h.
PluginRegistrationValues Values() {
  PluginRegistrationValues v;
  v.factory = &MakePluginObject<OVNVeltrimaSync>;
  v.uniqueID = "KZRS";
  v.name = "OVNVeltrima SYNC";
  v.pluginMajor = 1;
  v.pluginMinor = 0;
  v.pluginType = FF_SOURCE;
  v.description =
      "Frame stamp for LED walls: frame number, time of day with milliseconds, timecode, a code "
      "strip and a QR code, frame markers, sync flash, millisecond ruler, motion tracks and an "
      "output label. https://ovnveltrima.io";
  v.about = "OVNVeltrima SYNC 1.0 - which frame, when, and on which output. https://ovnveltrima.io";
  return v;
}

const PluginRegistration registration(Values());

}  // namespace
