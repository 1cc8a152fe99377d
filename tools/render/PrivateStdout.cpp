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
  descriptor_ = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (descriptor_ < 0) ThrowSystemError("cannot duplicate standard output");
  if (::dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
    const int error = errno;
    ::close(descriptor_);
    errno = error;
    ThrowSystemError("cannot point standard output at standard error");
  }
}

PrivateStdout::~PrivateStdout() {
  // Text a plug-in printed without a newline still sits in stdout's buffer:
  // it belongs to standard error, not after the frames.
  std::fflush(stdout);
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
