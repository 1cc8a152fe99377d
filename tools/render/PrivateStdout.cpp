#include "tools/render/PrivateStdout.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void ThrowSystemError(const std::string& what) {
  throw std::runtime_error(what + ": " + std::strerror(errno));
}

}  // namespace

PrivateStdout::PrivateStdout() {
  std::fflush(stdout);
  // A closed standard output is no error until a frame is written to it
  // (WriteAll then reports it). Descriptor 1 is filled all the same, so that
  // no file opened later can take it and receive what the plug-in prints.
  descriptor_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (descriptor_ < 0 && errno != EBADF) ThrowSystemError("cannot duplicate standard output");
  if (::dup2(STDERR_FILENO, STDOUT_FILENO) >= 0) return;
  // No standard error either: what the plug-in prints is dropped.
  const int nowhere = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (nowhere >= 0 && ::dup2(nowhere, STDOUT_FILENO) >= 0) {
    if (nowhere != STDOUT_FILENO) ::close(nowhere);
    return;
  }
  const int error = errno;
  if (descriptor_ >= 0) ::close(descriptor_);
  errno = error;
  ThrowSystemError("cannot point standard output away from the frames");
}

PrivateStdout::~PrivateStdout() {
  // Text a plug-in printed without a newline still sits in stdout's buffer:
  // it belongs to standard error, not after the frames.
  std::fflush(stdout);
  if (descriptor_ < 0) {
    ::close(STDOUT_FILENO);
    return;
  }
  ::dup2(descriptor_, STDOUT_FILENO);
  ::close(descriptor_);
}

void WriteAll(int descriptor, const void* bytes, std::size_t size) {
  const char* next = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t written = ::write(descriptor, next, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      ThrowSystemError("cannot write to standard output");
    }
    next += written;
    size -= static_cast<std::size_t>(written);
  }
}
