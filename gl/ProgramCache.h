// ProgramCache: shader programs by key, each built on its first use and kept
// until ReleaseAll(). A build that fails is remembered as failed, so a broken
// variant costs one diagnostic, not one per frame. The least recently used
// programs give way once more than the capacity exist, but never one used in
// the current frame (see BeginFrame). Like ShaderProgram, it makes GL calls
// only from its operations, never from its destructor.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "gl/ShaderProgram.h"

namespace ffglex {

class ProgramCache {
 public:
  struct Sources {
    std::string vertex;
    std::string fragment;
  };

  explicit ProgramCache(std::size_t capacity) : capacity_(capacity) {}
  ProgramCache(const ProgramCache&) = delete;
  ProgramCache& operator=(const ProgramCache&) = delete;

  // Starts a frame: programs fetched from now on are kept at least until the
  // next BeginFrame.
  void BeginFrame() { ++frame_; }
  // The program for `key`, built from `sources()` if there is none yet; null
  // when that build failed (now or before).
  ShaderProgram* Get(std::uint32_t key, const std::function<Sources()>& sources);
  // Deletes every program; the cache is empty afterwards.
  void ReleaseAll();

  std::size_t Size() const { return entries_.size(); }

 private:
  struct Entry {
    std::unique_ptr<ShaderProgram> program;  // null: the build failed
    std::uint64_t lastUse = 0;
  };
  void EvictOne();

  std::size_t capacity_;
  std::uint64_t frame_ = 0;
  std::map<std::uint32_t, Entry> entries_;
};

}  // namespace ffglex
