#include "map/layout/LayoutFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>
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
#endif

#include "map/layout/LayoutFormat.h"
#include "map/layout/Limits.h"

namespace layout {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// The system's text for an errno value, fit for the wall.
std::string Reason(int error) {
  constexpr std::size_t kReasonCharacters = 40;
  return QuoteForMessage(error != 0 ? std::generic_category().message(error) : "UNKNOWN ERROR",
                         kReasonCharacters);
}

#ifdef _WIN32
// Windows opens non-ASCII names only through the wide API, so the UTF-8
// path becomes UTF-16 first.
File Open(const std::string& utf8Path, std::string& reason) {
  constexpr std::size_t kLongestPath = 32767;  // the wide API's own limit
  if (utf8Path.empty() || utf8Path.size() > kLongestPath) {
    reason = Reason(ENOENT);
    return File();
  }
  const int size = static_cast<int>(utf8Path.size());
  const int wide = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), size,
                                       nullptr, 0);
  if (wide <= 0) {
    reason = "PATH IS NOT UTF-8";
    return File();
  }
  std::vector<wchar_t> name(static_cast<std::size_t>(wide) + 1, L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8Path.data(), size, name.data(), wide);
  errno = 0;
  File file(_wfopen(name.data(), L"rb"));
  if (!file) reason = Reason(errno);
  return file;
}
#else
File Open(const std::string& utf8Path, std::string& reason) {
  errno = 0;
  File file(std::fopen(utf8Path.c_str(), "rb"));
  if (!file) reason = Reason(errno);
  return file;
}
#endif

}  // namespace

Result<std::string> ReadLayoutBytes(const std::string& utf8Path) {
  std::string reason;
  const File file = Open(utf8Path, reason);
  if (!file) return LayoutError::InFile("CANNOT OPEN FILE: " + reason);
  // Reads in chunks up to one byte beyond the limit, which tells a file at
  // the limit from a larger one without holding more of it.
  constexpr std::size_t kChunk = 64 * 1024;
  std::string bytes;
  while (bytes.size() <= kMaxFileBytes) {
    const std::size_t had = bytes.size();
    bytes.resize(had + std::min(kChunk, kMaxFileBytes + 1 - had));
    errno = 0;
    const std::size_t got = std::fread(&bytes[had], 1, bytes.size() - had, file.get());
    bytes.resize(had + got);
    if (std::ferror(file.get())) return LayoutError::InFile("CANNOT READ FILE: " + Reason(errno));
    if (got == 0) break;
  }
  if (bytes.size() > kMaxFileBytes) return LayoutError::InFile(FileTooLargeMessage());
  return bytes;
}

Result<Layout> LoadLayoutFile(const std::string& utf8Path) {
  const Result<std::string> bytes = ReadLayoutBytes(utf8Path);
  if (!bytes.ok()) return bytes.error();
  const LayoutFormat format = FormatOfPath(utf8Path).value_or(SniffFormat(bytes.value()));
  return ParseLayout(bytes.value(), format);
}

}  // namespace layout
