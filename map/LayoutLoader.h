// LayoutLoader: reads and parses one opened layout file on a thread of its
// own, so that a file on a stalled network share never holds the host's
// thread. The host's calls only look at whether the read has ended.
//
// Destroying a loader cancels its read (between chunks) and joins the
// thread when it ends soon; a thread still stuck in the system's read after
// that is detached: it owns everything it touches (the descriptor, the
// bytes, the shared state), closes the descriptor and frees it all when the
// read returns, so that the host's call never waits for a stalled share.
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "map/layout/Layout.h"
#include "map/layout/LayoutError.h"
#include "map/layout/LayoutFile.h"

class LayoutLoader {
 public:
  using Outcome = layout::Result<layout::Layout>;

  // Starts reading `file`, opened from `utf8Path` (whose extension names the format).
  LayoutLoader(layout::LayoutFileHandle file, std::string utf8Path);
  ~LayoutLoader();
  LayoutLoader(const LayoutLoader&) = delete;
  LayoutLoader& operator=(const LayoutLoader&) = delete;

  // Waits at most `most` for the read to end; true when it has.
  bool WaitFor(std::chrono::milliseconds most);
  // The outcome once the read has ended (answered once), nothing before.
  std::optional<Outcome> Take();

  // Test seam: every read started after this waits `delay` first, as a
  // stalled share would (cancelled like a read). Zero by default.
  static void SetReadDelayForTests(std::chrono::milliseconds delay);
  // Test seam: loader threads not yet ended, joined or detached.
  static int RunningThreadsForTests();

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};
