#pragma once

#include <sys/types.h>

#include <chrono>
#include <stdexcept>
#include <string>

namespace hostkit {

// Raised when a private X server cannot be started.
class XvfbError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A private Xvfb server on a display number it picks itself, so GLX work never depends
// on (or disturbs) whatever DISPLAY the caller's environment has. The server is killed
// and reaped when this object goes away; it is also told to die with the thread that
// started it (PR_SET_PDEATHSIG), so a crashing test leaves no stray server behind.
class XvfbServer {
 public:
  // executable: a path, or a bare name looked up on PATH.
  explicit XvfbServer(const std::string& executable = "Xvfb",
                      std::chrono::milliseconds startupTimeout = std::chrono::seconds(10));
  ~XvfbServer();

  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // ":N", ready for XOpenDisplay.
  const std::string& DisplayName() const { return displayName_; }
  pid_t ProcessId() const { return pid_; }

 private:
  void Stop() noexcept;

  pid_t pid_ = -1;
  int stderrFd_ = -1;  // the server's stderr, kept so failures can quote it
  std::string displayName_;
};

}  // namespace hostkit
