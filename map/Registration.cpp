// The plug-in's registration, built while the library loads.
#include "host/PluginFactory.h"
#include "host/PluginRegistration.h"
#include "map/OVNVeltrimaMap.h"

namespace {

// What this product is; the FFGL version it speaks is the one every product
// shares, left at its default in host/PluginRegistration.h.
PluginRegistrationValues Values() {
  PluginRegistrationValues v;
  v.factory = &MakePluginObject<OVNVeltrimaMap>;
  v.uniqueID = "KZRM";
  v.name = "OVNVeltrima MAP";
  v.pluginMajor = 1;
  v.pluginMinor = 0;
  v.pluginType = FF_SOURCE;
  v.description =
      "LED-wall map from a layout file (CSV, JSON or screen-setup XML): every cabinet with its "
      "label, port colour, chain position and arrow, size, corner coordinates and orientation; "
      "gaps and overlaps hatched. https://ovnveltrima.io";
  v.about = "OVNVeltrima MAP 1.0 - the wall as it is really built. https://ovnveltrima.io";
  return v;
}

const PluginRegistration registration(Values());

}  // namespace
