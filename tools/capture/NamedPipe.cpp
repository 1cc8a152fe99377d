#include "tools/capture/NamedPipe.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace {

std::runtime_error Failure(const std::string& path, const std::string& why) {
  return std::runtime_error(path + ": " + why);
}

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", seconds);
  return text;
}

}  // namespace

bool IsNamedPipe(const std::string& path) {
  struct stat status {};
  return ::stat(path.c_str(), &status) == 0 && S_ISFIFO(status.st_mode);
}

std::FILE* OpenCaptureStream(const std::string& path, double waitSeconds) {
  if (!IsNamedPipe(path)) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) throw Failure(path, std::string("cannot open: ") + std::strerror(errno));
    return file;
  }
  // Without O_NONBLOCK the open itself would wait for a writer. Linux
  // reports no hang-up on a FIFO that never had a writer, so poll waits
  // for the first writer's bytes or its close.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) throw Failure(path, std::string("cannot open: ") + std::strerror(errno));
  pollfd waiting{fd, POLLIN, 0};
  const int milliseconds = static_cast<int>(std::lround(std::max(0.0, std::min(waitSeconds, 86400.0)) * 1000));
  int ready;
  do ready = ::poll(&waiting, 1, milliseconds);
  while (ready < 0 && errno == EINTR);
  if (ready <= 0) {
    const int error = errno;
    ::close(fd);
    throw Failure(path, ready == 0 ? "a named pipe no process wrote to within " + SecondsText(waitSeconds) +
                                         " s: start the capture writing into it first"
                                   : std::string("cannot wait on the named pipe: ") + std::strerror(error));
  }
  const int flags = ::fcntl(fd, F_GETFL);
  std::FILE* file = flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0 ? nullptr : ::fdopen(fd, "rb");
  if (!file) {
    const int error = errno;
    ::close(fd);
    throw Failure(path, std::string("cannot read the named pipe: ") + std::strerror(error));
  }
  return file;
}
