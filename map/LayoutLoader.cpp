#include "map/LayoutLoader.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace {

std::atomic<long long> readDelayMs{0};
std::atomic<int> runningThreads{0};

// How long a destroyed loader waits for its cancelled thread before
// detaching it: a cancelled read ends at its next chunk, well within this.
constexpr std::chrono::milliseconds kJoinWait{250};

}  // namespace

struct LayoutLoader::Shared {
  std::mutex mutex;
  std::condition_variable changed;
  std::atomic<bool> cancelled{false};
  bool done = false;
  std::optional<Outcome> outcome;
};

LayoutLoader::LayoutLoader(layout::LayoutFileHandle file, std::string utf8Path)
    : shared_(std::make_shared<Shared>()) {
  const std::chrono::milliseconds delay(readDelayMs.load());
  ++runningThreads;
  // The thread holds its own reference to the shared state and owns the
  // descriptor, so that it may outlive the loader (see the header).
  thread_ = std::thread([shared = shared_, file = std::move(file), path = std::move(utf8Path),
                         delay]() mutable {
    std::optional<Outcome> outcome;
    {
      std::unique_lock<std::mutex> lock(shared->mutex);
      shared->changed.wait_for(lock, delay, [&] { return shared->cancelled.load(); });
    }
    if (shared->cancelled.load()) {
      outcome.emplace(layout::LayoutError::InFile("READ CANCELLED"));
    } else {
      const layout::Result<std::string> bytes = layout::ReadLayoutBytes(file, &shared->cancelled);
      outcome.emplace(bytes.ok() ? layout::ParseLayoutBytes(path, bytes.value())
                                 : Outcome(bytes.error()));
    }
    file = layout::LayoutFileHandle();  // closed before the loader may see it ended
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      shared->outcome = std::move(outcome);
      shared->done = true;
    }
    --runningThreads;
    shared->changed.notify_all();
  });
}

LayoutLoader::~LayoutLoader() {
  {
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->cancelled = true;
  }
  shared_->changed.notify_all();
  if (WaitFor(kJoinWait))
    thread_.join();
  else
    thread_.detach();
}

bool LayoutLoader::WaitFor(std::chrono::milliseconds most) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  return shared_->changed.wait_for(lock, most, [&] { return shared_->done; });
}

std::optional<LayoutLoader::Outcome> LayoutLoader::Take() {
  std::lock_guard<std::mutex> lock(shared_->mutex);
  if (!shared_->done) return std::nullopt;
  return std::exchange(shared_->outcome, std::nullopt);
}

void LayoutLoader::SetReadDelayForTests(std::chrono::milliseconds delay) {
  readDelayMs = delay.count();
}

int LayoutLoader::RunningThreadsForTests() { return runningThreads.load(); }
