// UsageError: a mistake in what the user asked a tool for. Tools catch it in
// main(), print its message (one line) and exit with status 2.
#pragma once

#include <stdexcept>

// The status a tool exits with for a usage mistake.
constexpr int kUsageExitStatus = 2;

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
