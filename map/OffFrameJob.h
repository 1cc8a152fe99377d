// OffFrameJob: one result made on a thread of its own and taken by a later
// call without waiting, so that work whose cost grows with the map (a
// composition, the placing of a line among 10,000 cabinets) never holds a
// host's frame. A job under way is never replaced: replacing the future of
// std::async waits for its thread, so the next job starts only once the
// last one's result has been taken. The destructor waits for a job under way
// (CPU work on its own copies, bounded by the layout's limits). Jobs run
// below the host's priority (map/BackgroundPriority.h).
#pragma once

#include <chrono>
#include <future>
#include <optional>
#include <system_error>
#include <utility>

#include "map/BackgroundPriority.h"

template <typename Key, typename Result>
class OffFrameJob {
 public:
  // Starts `make` (a callable that answers a Result from its own copies)
  // for `key`; false when a job is under way or no thread could be had.
  template <typename Make>
  bool Start(const Key& key, Make&& make) {
    if (future_.valid()) return false;
    try {
      future_ = std::async(std::launch::async, [make = std::forward<Make>(make)]() mutable {
        LowerThisThreadsPriority();
        return make();
      });
    } catch (const std::system_error&) {
      return false;
    }
    key_ = key;
    return true;
  }
  // True while a job's result has not been taken.
  bool Busy() const { return future_.valid(); }
  // What the job under way was started for (meaningful while Busy).
  const Key& BusyWith() const { return key_; }
  // The result once the job is done (answered once), nothing before; an
  // exception the job threw is thrown here.
  std::optional<Result> Take() {
    if (!future_.valid() || future_.wait_for(std::chrono::seconds(0)) != std::future_status::ready)
      return std::nullopt;
    return future_.get();
  }

 private:
  std::future<Result> future_;
  Key key_{};
};
