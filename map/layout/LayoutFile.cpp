#include "map/layout/LayoutFile.h"

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>
#include <vector>

#ifdef _WIN32
// std::min is used below; windows.h would otherwise define min and max
// macros (MinGW's C++ library already says NOMINMAX, MSVC's does not).
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "map/layout/LayoutFormat.h"
#include "map/layout/Limits.h"

namespace layout {

namespace {

constexpr char kNotRegular[] = "NOT A REGULAR FILE";

// The system's text for an errno value, fit for the wall.
std::string Reason(int error) {
  constexpr std::size_t kReasonCharacters = 40;
  return QuoteForMessage(error != 0 ? std::generic_category().message(error) : "UNKNOWN ERROR",
                         kReasonCharacters);
}

#ifdef _WIN32
HANDLE AsHandle(std::intptr_t native) { return reinterpret_cast<HANDLE>(native); }

// Windows' error codes that a technician meets, as errno values for Reason().
int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}
#endif

}  // namespace

LayoutFileHandle::~LayoutFileHandle() { Close(); }

LayoutFileHandle::LayoutFileHandle(LayoutFileHandle&& other) noexcept
    : native_(std::exchange(other.native_, kClosed)) {}

LayoutFileHandle& LayoutFileHandle::operator=(LayoutFileHandle&& other) noexcept {
  if (this != &other) {
    Close();
    native_ = std::exchange(other.native_, kClosed);
  }
  return *this;
}

bool LayoutFileHandle::IsOpen() const { return native_ != kClosed; }

LayoutFileHandle LayoutFileHandle::Adopt(std::intptr_t native) {
  LayoutFileHandle handle;
  handle.native_ = native;
  return handle;
}

void LayoutFileHandle::Close() {
  if (!IsOpen()) return;
#ifdef _WIN32
  CloseHandle(AsHandle(native_));
#else
  ::close(static_cast<int>(native_));
#endif
  native_ = kClosed;
}

#ifdef _WIN32
// Windows opens non-ASCII names only through the wide API, so the UTF-8
// path becomes UTF-16 first. A folder is told by its attributes (opening
// one fails with "access denied"); a pipe, a console or a device by the
// opened handle's type. No flag of CreateFileW waits for a pipe's writer:
// a pipe nobody serves fails at once.
Result<LayoutFileHandle> OpenLayoutFile(const std::string& utf8Path) {
  constexpr std::size_t kLongestPath = 32767;  // the wide API's own limit
  if (utf8Path.empty() || utf8Path.size() > kLongestPath)
    return LayoutError::InFile("CANNOT OPEN FILE: " + Reason(ENOENT));
  const int size = static_cast<int>(utf8Path.size());
  const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), size,
                                       nullptr, 0);
  if (wide <= 0) return LayoutError::InFile("CANNOT OPEN FILE: PATH IS NOT UTF-8");
  std::vector<wchar_t> name(static_cast<std::size_t>(wide) + 1, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), size, name.data(), wide);
  const DWORD attributes = GetFileAttributesW(name.data());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return LayoutError::InFile(kNotRegular);
  const HANDLE file = CreateFileW(name.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return LayoutError::InFile("CANNOT OPEN FILE: " + Reason(ErrnoOf(GetLastError())));
  LayoutFileHandle handle = LayoutFileHandle::Adopt(reinterpret_cast<std::intptr_t>(file));
  if (GetFileType(file) != FILE_TYPE_DISK) return LayoutError::InFile(kNotRegular);
  return Result<LayoutFileHandle>(std::move(handle));
}
#else
// O_NONBLOCK makes the open of a pipe return at once, writer or not (and a
// device's open not wait for its line); the type is checked on the opened
// descriptor, so the path cannot change between check and read.
Result<LayoutFileHandle> OpenLayoutFile(const std::string& utf8Path) {
  const int fd = ::open(utf8Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return LayoutError::InFile("CANNOT OPEN FILE: " + Reason(errno));
  LayoutFileHandle handle = LayoutFileHandle::Adopt(fd);
  struct stat info {};
  if (::fstat(fd, &info) != 0) return LayoutError::InFile("CANNOT OPEN FILE: " + Reason(errno));
  if (!S_ISREG(info.st_mode)) return LayoutError::InFile(kNotRegular);
  // A regular file's reads ignore O_NONBLOCK; cleared all the same, so that
  // a file system that honours it never answers EAGAIN.
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return Result<LayoutFileHandle>(std::move(handle));
}
#endif

namespace {

// Reads up to `size` bytes into `into`: the count read (0 at the end), or -1
// with `error` set to an errno value.
long long ReadSome(const LayoutFileHandle& file, char* into, std::size_t size, int& error) {
#ifdef _WIN32
  DWORD got = 0;
  if (!ReadFile(AsHandle(file.Native()), into, static_cast<DWORD>(size), &got, nullptr)) {
    error = ErrnoOf(GetLastError());
    return -1;
  }
  return got;
#else
  for (;;) {
    const ssize_t got = ::read(static_cast<int>(file.Native()), into, size);
    if (got >= 0) return got;
    if (errno == EINTR) continue;
    error = errno;
    return -1;
  }
#endif
}

}  // namespace

Result<std::string> ReadLayoutBytes(LayoutFileHandle& file, const std::atomic<bool>* cancelled) {
  if (!file.IsOpen()) return LayoutError::InFile("CANNOT READ FILE: " + Reason(EBADF));
  // Reads in chunks up to one byte beyond the limit, which tells a file at
  // the limit from a larger one without holding more of it.
  constexpr std::size_t kChunk = 64 * 1024;
  std::string bytes;
  while (bytes.size() <= kMaxFileBytes) {
    if (cancelled && cancelled->load()) return LayoutError::InFile("READ CANCELLED");
    const std::size_t had = bytes.size();
    bytes.resize(had + std::min(kChunk, kMaxFileBytes + 1 - had));
    int error = 0;
    const long long got = ReadSome(file, &bytes[had], bytes.size() - had, error);
    if (got < 0) return LayoutError::InFile("CANNOT READ FILE: " + Reason(error));
    bytes.resize(had + static_cast<std::size_t>(got));
    if (got == 0) break;
  }
  if (bytes.size() > kMaxFileBytes) return LayoutError::InFile(FileTooLargeMessage());
  return bytes;
}

Result<std::string> ReadLayoutBytes(const std::string& utf8Path) {
  Result<LayoutFileHandle> file = OpenLayoutFile(utf8Path);
  if (!file.ok()) return file.error();
  return ReadLayoutBytes(file.value());
}

Result<Layout> ParseLayoutBytes(const std::string& utf8Path, const std::string& bytes) {
  const LayoutFormat format = FormatOfPath(utf8Path).value_or(SniffFormat(bytes));
  return ParseLayout(bytes, format);
}

Result<Layout> LoadLayoutFile(const std::string& utf8Path) {
  const Result<std::string> bytes = ReadLayoutBytes(utf8Path);
  if (!bytes.ok()) return bytes.error();
  return ParseLayoutBytes(utf8Path, bytes.value());
}

}  // namespace layout
