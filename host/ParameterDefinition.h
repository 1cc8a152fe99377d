// How a plug-in declares one parameter: the record the registry is filled
// from, written once per parameter in a constant table that the plug-in, its
// tests and its tools all read.
#pragma once

#include "host/FFGL.h"

struct ParameterDefinition {
  const char* name;
  FFUInt32 type;
  float defaultValue;
  float minimum;  // declared range; integers only, others keep 0 to 1
  float maximum;
  const char* const* elements;  // option elements in value order, or null
  unsigned elementCount;
  const char* defaultText;  // text and file parameters only, else null
};
