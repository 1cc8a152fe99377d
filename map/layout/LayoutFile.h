// Reading a layout file by path: opened without waiting and checked to be a
// regular file before a byte is read (a named pipe nobody writes to, a
// device or a socket would otherwise hold the reader for good), then its
// bytes, with the size limit held while reading, then the parser its
// extension (or its content) names.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"

namespace layout {

// An open layout file, closed when it goes (a descriptor on POSIX systems, a
// handle on Windows).
class LayoutFileHandle {
 public:
  LayoutFileHandle() = default;
  ~LayoutFileHandle();
  LayoutFileHandle(LayoutFileHandle&& other) noexcept;
  LayoutFileHandle& operator=(LayoutFileHandle&& other) noexcept;
  LayoutFileHandle(const LayoutFileHandle&) = delete;
  LayoutFileHandle& operator=(const LayoutFileHandle&) = delete;

  bool IsOpen() const;
  // The system's handle: an int descriptor, or a Windows HANDLE's bits.
  std::intptr_t Native() const { return native_; }
  static LayoutFileHandle Adopt(std::intptr_t native);

 private:
  void Close();
  static constexpr std::intptr_t kClosed = -1;
  std::intptr_t native_ = kClosed;
};

// Opens the file at `utf8Path` (UTF-8 on every platform) without blocking
// and answers it when it is a regular file: "NOT A REGULAR FILE" for a
// pipe, a device, a socket or a folder, "CANNOT OPEN FILE: <reason>" with
// the system's reason in capitals when it cannot be opened. Never waits for
// a writer, so a host may call it on its own thread.
Result<LayoutFileHandle> OpenLayoutFile(const std::string& utf8Path);

// The bytes of an opened file, at most kMaxFileBytes of them: "FILE IS
// LARGER THAN 16 MIB" beyond that, "CANNOT READ FILE: <reason>" when a read
// fails. A set `cancelled` stops the read between chunks ("READ CANCELLED").
Result<std::string> ReadLayoutBytes(LayoutFileHandle& file,
                                    const std::atomic<bool>* cancelled = nullptr);
// Both of the above.
Result<std::string> ReadLayoutBytes(const std::string& utf8Path);

// The layout of `bytes` read from `utf8Path`: the format comes from the
// path's extension, or from the first characters for any other extension.
Result<Layout> ParseLayoutBytes(const std::string& utf8Path, const std::string& bytes);

// Reads and parses the layout at `utf8Path`.
Result<Layout> LoadLayoutFile(const std::string& utf8Path);

}  // namespace layout
