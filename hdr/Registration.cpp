// The plug-in's registration, built while the library loads.
#include "hdr/OVNVeltrimaHdr.h"
#include "host/PluginFactory.h"
#include "host/PluginRegistration.h"

namespace {

// What this product is; the FFGL version it speaks is the one every product
// shares, left at its default in host/PluginRegistration.h.
PluginRegistrationValues Values() {
  PluginRegistrationValues v;
  v.factory = &MakePluginObject<OVNVeltrimaHdr>;
  v.uniqueID = "KZRH";
  v.name = "OVNVeltrima HDR";
  v.pluginMajor = 1;
  v.pluginMinor = 0;
  v.pluginType = FF_SOURCE;
  v.description =
      "HDR signal patterns to the code value: BT.2111 bars, PLUGE, nit steps, signal steps, a "
      "10-bit ramp and a measurement patch, in PQ, HLG and SDR, narrow or full range. "
      "https://ovnveltrima.io";
  v.about = "OVNVeltrima HDR 1.0 - the signal itself, to the code value. https://ovnveltrima.io";
  return v;
}

const PluginRegistration registration(Values());

}  // namespace
