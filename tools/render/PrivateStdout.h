// Keeps the raw frame stream clean whatever a plug-in prints. While a
// PrivateStdout lives, descriptor 1 (and with it stdout, printf, std::cout)
// points at standard error, and the frames go to a private duplicate of the
// original standard output instead.
#pragma once

#include <cstddef>

class PrivateStdout {
 public:
  // Flushes stdout, duplicates descriptor 1 (close-on-exec) and points it at
  // standard error (at /dev/null when that is closed too). Throws
  // std::runtime_error when a descriptor call fails.
  PrivateStdout();
  // Flushes what was printed meanwhile (to standard error) and points
  // descriptor 1 back at the original standard output.
  ~PrivateStdout();
  PrivateStdout(const PrivateStdout&) = delete;
  PrivateStdout& operator=(const PrivateStdout&) = delete;

  // The original standard output; -1 when it was closed.
  int Descriptor() const { return descriptor_; }

 private:
  int descriptor_ = -1;
};

// Writes all `size` bytes to `descriptor`, in as few write calls as the
// kernel allows (one for a file or /dev/null), resuming after short writes and
// interrupted calls. Throws std::runtime_error naming the system's reason on
// failure (EPIPE when the reader has gone; SIGPIPE must be ignored).
void WriteAll(int descriptor, const void* bytes, std::size_t size);
