// Ctrl-C (SIGINT) and SIGTERM end a render between frames, through the
// normal error path, so that every partly written file is removed on the
// way out instead of being left behind by a killed process.
#pragma once

#include <stdexcept>

class Interrupted : public std::runtime_error {
 public:
  Interrupted() : std::runtime_error("interrupted; nothing was written") {}
};

// Installs the handlers (no SA_RESTART needed: writes resume after EINTR).
void CatchInterrupts();
// Throws Interrupted once a signal has arrived.
void StopIfInterrupted();
