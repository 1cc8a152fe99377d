#include "host/PluginRegistration.h"

namespace {

const PluginRegistration* registered = nullptr;

// Copies at most `capacity` characters, stopping after a zero byte has been
// copied: a text of exactly `capacity` characters fills the field with no
// terminator, a shorter one leaves the rest of the (zeroed) field zero.
void CopyField(char* field, std::size_t capacity, const char* text) {
  if (!text) return;
  for (std::size_t i = 0; i < capacity; ++i) {
    field[i] = text[i];
    if (text[i] == '\0') break;
  }
}

}  // namespace

PluginRegistration::PluginRegistration(const PluginRegistrationValues& values)
    : about_(values.about ? values.about : ""),
      description_(values.description ? values.description : ""),
      factory_(values.factory),
      initialise_(values.initialise),
      deinitialise_(values.deinitialise) {
  info_.APIMajorVersion = values.apiMajor;
  info_.APIMinorVersion = values.apiMinor;
  CopyField(info_.PluginName, sizeof info_.PluginName, values.name);
  CopyField(info_.PluginUniqueID, sizeof info_.PluginUniqueID, values.uniqueID);
  info_.PluginType = values.pluginType;

  extendedInfo_.Description = description_.c_str();
  extendedInfo_.About = about_.c_str();
  extendedInfo_.PluginMajorVersion = values.pluginMajor;
  extendedInfo_.PluginMinorVersion = values.pluginMinor;
  extendedInfo_.FreeFrameExtendedDataSize = 0;
  extendedInfo_.FreeFrameExtendedDataBlock = nullptr;

  registered = this;
}

const PluginRegistration* RegisteredPlugin() { return registered; }
