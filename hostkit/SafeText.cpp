#include "hostkit/SafeText.h"

#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace hostkit {
namespace {

// process_vm_readv on our own process answers EFAULT for unmapped memory
// instead of raising SIGSEGV.
bool CopyChunk(std::uintptr_t address, std::size_t size, char* into) {
  iovec local{into, size};
  iovec remote{reinterpret_cast<void*>(address), size};
  return ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0) == static_cast<ssize_t>(size);
}

}  // namespace

bool ReadBytes(const void* pointer, std::size_t size, void* into) {
  if (!pointer) return false;
  return CopyChunk(reinterpret_cast<std::uintptr_t>(pointer), size, static_cast<char*>(into));
}

SafeTextResult ReadText(const void* pointer, std::size_t bound) {
  SafeTextResult result;
  if (!pointer) {
    result.problem = "null pointer";
    return result;
  }
  const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  std::uintptr_t address = reinterpret_cast<std::uintptr_t>(pointer);
  std::size_t budget = bound + 1;  // the text plus its terminator
  char chunk[4096];
  while (budget > 0) {
    // Never cross a page boundary in one read: the next page may be unmapped
    // while the terminator lies on this one.
    std::size_t size = page - (address % page);
    size = std::min({size, budget, sizeof chunk});
    if (!CopyChunk(address, size, chunk)) {
      result.problem = "unreadable memory after " + std::to_string(result.text.size()) + " bytes";
      return result;
    }
    const void* zero = std::memchr(chunk, 0, size);
    if (zero) {
      result.text.append(chunk, static_cast<const char*>(zero) - chunk);
      result.ok = true;
      return result;
    }
    result.text.append(chunk, size);
    address += size;
    budget -= size;
  }
  result.problem = "no terminator within " + std::to_string(bound) + " bytes";
  return result;
}

}  // namespace hostkit
