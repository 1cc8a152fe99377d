#include "map/BackgroundPriority.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

void LowerThisThreadsPriority() {
#if defined(_WIN32)
  SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(__APPLE__)
  setpriority(PRIO_DARWIN_THREAD, 0, PRIO_DARWIN_BG);
#else
  // On Linux the nice value belongs to each thread, and 0 names the caller.
  constexpr int kNiceness = 10;
  setpriority(PRIO_PROCESS, 0, kNiceness);
#endif
}
