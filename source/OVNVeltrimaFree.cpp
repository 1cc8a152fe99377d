#include "source/OVNVeltrimaFree.h"

#include "source/ParameterConversion.h"
#include "source/Presets.h"

OVNVeltrimaFree::OVNVeltrimaFree() : CFFGLPlugin(false) {
  SetMinInputs(0);
  SetMaxInputs(0);
  DefineParameters();
}

OVNVeltrimaFree::~OVNVeltrimaFree() = default;

void OVNVeltrimaFree::DefineParameters() {
  const auto& definitions = ParameterDefinitions();
  for (FFUInt32 index = 0; index < kParamCount; ++index) {
    const ParamDefinition& d = definitions[index];
    switch (d.type) {
      case FF_TYPE_OPTION:
        SetOptionParamInfo(index, d.name, d.elementCount, d.defaultValue);
        for (FFUInt32 e = 0; e < d.elementCount; ++e)
          SetParamElementInfo(index, e, d.elements[e], static_cast<float>(e));
        break;
      case FF_TYPE_INTEGER:
        SetParamInfo(index, d.name, FF_TYPE_INTEGER, d.defaultValue);
        SetParamRange(index, d.minimum, d.maximum);
        break;
      case FF_TYPE_BOOLEAN:
        SetParamInfo(index, d.name, FF_TYPE_BOOLEAN, d.defaultValue > 0.5f);
        break;
      default:
        SetParamInfo(index, d.name, d.type, d.defaultValue);
        break;
    }
    values_[index] = d.defaultValue;
  }
}

void OVNVeltrimaFree::ApplyPresetStep(float value) {
  const int preset = PresetNumber(value);
  if (lastPreset_ != -1 && preset != lastPreset_) {
    const PresetRow& row = PresetTable()[static_cast<std::size_t>(preset)];
    for (std::size_t k = 0; k < kPresetParamCount; ++k) {
      const auto index = static_cast<FFUInt32>(kPresetFirstParam + k);
      values_[index] = row[k];
      RaiseParamEvent(index, FF_EVENT_FLAG_VALUE);
    }
  }
  lastPreset_ = preset;
}

FFUInt32 OVNVeltrimaFree::SetFloatParameter(FFUInt32 index, float value) {
  if (index >= kParamCount) return FF_FAIL;
  if (index == kParamPreset) ApplyPresetStep(value);
  values_[index] = value;
  return FF_SUCCESS;
}

float OVNVeltrimaFree::GetFloatParameter(FFUInt32 index) {
  return index < kParamCount ? values_[index] : 0.0f;
}
