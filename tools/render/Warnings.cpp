#include "tools/render/Warnings.h"

#include <cstdio>

void Warn(const std::string& message) {
  std::fprintf(stderr, "%s: warning: %s\n", kProgram, message.c_str());
}
