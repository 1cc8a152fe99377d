#include "host/ParameterDefinition.h"

#include "host/ValueConversion.h"

WholeRange WholeNumberRange(const ParameterDefinition& definition) {
  switch (definition.type) {
    case FF_TYPE_INTEGER:
      // Declared ranges are whole numbers well inside the int range.
      return {static_cast<int>(definition.minimum), static_cast<int>(definition.maximum)};
    case FF_TYPE_OPTION: return {0, static_cast<int>(definition.elementCount) - 1};
    default: return {0, 1};
  }
}

int WholeNumberOf(float value, const ParameterDefinition& definition) {
  const WholeRange range = WholeNumberRange(definition);
  return RoundClamped(value, range.lo, range.hi);
}
