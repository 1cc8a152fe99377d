#include "GLCensus.h"

#include <algorithm>
#include <vector>

namespace validate {
namespace {

// What a create or delete call does to which kind of object.
struct Effect {
  const char* function;
  ObjectKind kind;
  bool creates;
};
constexpr Effect kEffects[] = {
    {"glCreateProgram", ObjectKind::Program, true},
    {"glDeleteProgram", ObjectKind::Program, false},
    {"glCreateShader", ObjectKind::Shader, true},
    {"glDeleteShader", ObjectKind::Shader, false},
    {"glGenBuffers", ObjectKind::Buffer, true},
    {"glCreateBuffers", ObjectKind::Buffer, true},
    {"glDeleteBuffers", ObjectKind::Buffer, false},
    {"glGenVertexArrays", ObjectKind::VertexArray, true},
    {"glCreateVertexArrays", ObjectKind::VertexArray, true},
    {"glDeleteVertexArrays", ObjectKind::VertexArray, false},
    {"glGenFramebuffers", ObjectKind::Framebuffer, true},
    {"glCreateFramebuffers", ObjectKind::Framebuffer, true},
    {"glDeleteFramebuffers", ObjectKind::Framebuffer, false},
    {"glGenRenderbuffers", ObjectKind::Renderbuffer, true},
    {"glCreateRenderbuffers", ObjectKind::Renderbuffer, true},
    {"glDeleteRenderbuffers", ObjectKind::Renderbuffer, false},
};

}  // namespace

const char* ObjectKindName(ObjectKind kind, bool plural) {
  switch (kind) {
    case ObjectKind::Program: return plural ? "programs" : "program";
    case ObjectKind::Shader: return plural ? "shaders" : "shader";
    case ObjectKind::Buffer: return plural ? "buffers" : "buffer";
    case ObjectKind::VertexArray: return plural ? "vertex arrays" : "vertex array";
    case ObjectKind::Texture: return plural ? "textures" : "texture";
    case ObjectKind::Framebuffer: return plural ? "framebuffers" : "framebuffer";
    case ObjectKind::Renderbuffer: return plural ? "renderbuffers" : "renderbuffer";
  }
  return "objects";
}

std::size_t Census::Total() const {
  std::size_t total = 0;
  for (const auto& names : alive) total += names.size();
  return total;
}

Census TakeCensus(GLuint highest) {
  Census census;
  for (GLuint name = 1; name <= highest; ++name) {
    if (glIsProgram(name)) census.alive[static_cast<int>(ObjectKind::Program)].insert(name);
    if (glIsShader(name)) census.alive[static_cast<int>(ObjectKind::Shader)].insert(name);
    if (glIsBuffer(name)) census.alive[static_cast<int>(ObjectKind::Buffer)].insert(name);
    if (glIsVertexArray(name)) census.alive[static_cast<int>(ObjectKind::VertexArray)].insert(name);
    if (glIsTexture(name)) census.alive[static_cast<int>(ObjectKind::Texture)].insert(name);
    if (glIsFramebuffer(name)) census.alive[static_cast<int>(ObjectKind::Framebuffer)].insert(name);
    if (glIsRenderbuffer(name)) census.alive[static_cast<int>(ObjectKind::Renderbuffer)].insert(name);
  }
  return census;
}

std::size_t CountNew(const Census& before, const Census& after) {
  std::size_t count = 0;
  for (int k = 0; k < kObjectKinds; ++k)
    for (GLuint name : after.alive[k]) count += before.alive[k].count(name) == 0;
  return count;
}

std::string NewObjects(const Census& before, const Census& after) {
  std::string text;
  for (int k = 0; k < kObjectKinds; ++k) {
    std::vector<GLuint> fresh;
    for (GLuint name : after.alive[k])
      if (before.alive[k].count(name) == 0) fresh.push_back(name);
    if (fresh.empty()) continue;
    if (!text.empty()) text += ", ";
    text += std::to_string(fresh.size()) + " " + ObjectKindName(static_cast<ObjectKind>(k), fresh.size() != 1) +
            (fresh.size() == 1 ? " (name " : " (names ");
    for (std::size_t i = 0; i < fresh.size() && i < 5; ++i) text += (i ? ", " : "") + std::to_string(fresh[i]);
    if (fresh.size() > 5) text += ", ...";
    text += ")";
  }
  return text;
}

CreateDeleteTally::CreateDeleteTally()
    : interceptor_([this](const hostkit::GLCall& call) { Observe(call); }) {}

void CreateDeleteTally::Observe(const hostkit::GLCall& call) {
  for (const Effect& effect : kEffects) {
    if (call.function != effect.function) continue;
    // glCreateProgram and glCreateShader answer the name; glDeleteProgram and
    // glDeleteShader take it; the others pass (count, names).
    std::vector<GLuint> names = call.names;
    if (names.empty()) names.push_back(static_cast<GLuint>(effect.creates ? call.result : call.firstArgument));
    auto& t = tallies_[static_cast<int>(effect.kind)];
    for (GLuint name : names) {
      if (name == 0) continue;
      if (effect.creates) {
        ++t.created;
        t.outstanding.insert(name);
        highestName_ = std::max(highestName_, name);
      } else if (t.outstanding.erase(name) > 0) {
        ++t.deleted;
      }
    }
    return;
  }
}

int CreateDeleteTally::Created(ObjectKind kind) const { return tallies_[static_cast<int>(kind)].created; }
int CreateDeleteTally::Deleted(ObjectKind kind) const { return tallies_[static_cast<int>(kind)].deleted; }
const std::set<GLuint>& CreateDeleteTally::Outstanding(ObjectKind kind) const {
  return tallies_[static_cast<int>(kind)].outstanding;
}
GLuint CreateDeleteTally::HighestName() const { return highestName_; }
bool CreateDeleteTally::StillInstalled() const { return interceptor_.StillInstalled(); }

std::string CreateDeleteTally::Summary() const {
  std::string text;
  for (int k = 0; k < kObjectKinds; ++k) {
    const auto& t = tallies_[k];
    if (t.created == 0 && t.deleted == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::string(ObjectKindName(static_cast<ObjectKind>(k), true)) + " " + std::to_string(t.created) +
            " made / " + std::to_string(t.deleted) + " deleted";
  }
  return text.empty() ? "no counted create or delete calls" : text;
}

}  // namespace validate
