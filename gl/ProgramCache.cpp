#include "gl/ProgramCache.h"

namespace ffglex {

ShaderProgram* ProgramCache::Get(std::uint32_t key, const std::function<Sources()>& sources) {
  auto found = entries_.find(key);
  if (found == entries_.end()) {
    if (entries_.size() >= capacity_) EvictOne();
    Entry entry;
    const Sources text = sources();
    entry.program = std::make_unique<ShaderProgram>();
    if (!entry.program->Compile(text.vertex.c_str(), text.fragment.c_str()))
      entry.program.reset();
    found = entries_.emplace(key, std::move(entry)).first;
  }
  found->second.lastUse = frame_;
  return found->second.program.get();
}

void ProgramCache::EvictOne() {
  auto oldest = entries_.end();
  for (auto it = entries_.begin(); it != entries_.end(); ++it)
    if (it->second.lastUse < frame_ &&
        (oldest == entries_.end() || it->second.lastUse < oldest->second.lastUse))
      oldest = it;
  if (oldest == entries_.end()) return;  // all in use this frame: grow instead
  if (oldest->second.program) oldest->second.program->Release();
  entries_.erase(oldest);
}

void ProgramCache::ReleaseAll() {
  for (auto& [key, entry] : entries_)
    if (entry.program) entry.program->Release();
  entries_.clear();
}

}  // namespace ffglex
