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

// The whole numbers a frame clamps a parameter's value to, read from its
// definition: an integer's declared range, an option's element numbers
// (0 to count - 1). Fractions and flags have none: {0, 1}.
struct WholeRange {
  int lo, hi;
};
WholeRange WholeNumberRange(const ParameterDefinition& definition);

// `value` rounded and clamped to the whole numbers `definition` allows;
// defined for any float (see host/ValueConversion.h).
int WholeNumberOf(float value, const ParameterDefinition& definition);
