// How veltrima-render names itself in its messages, and its warnings: one
// line each on standard error.
#pragma once

#include <string>

constexpr char kProgram[] = "veltrima-render";

void Warn(const std::string& message);
