#include "GLCensus.h"

#include <functional>
#include <type_traits>
#include <vector>

namespace validate {
namespace {

struct KindTally {
  int created = 0, deleted = 0;
  std::set<GLuint> outstanding;
};
std::array<KindTally, kObjectKinds> tallies;
GLuint highestName = 0;
std::vector<std::function<void()>> restorers;
std::vector<std::function<bool()>> installedTests;

void Record(ObjectKind kind, GLuint name) {
  if (name == 0) return;
  auto& t = tallies[static_cast<int>(kind)];
  ++t.created;
  t.outstanding.insert(name);
  if (name > highestName) highestName = name;
}

void Forget(ObjectKind kind, GLuint name) {
  auto& t = tallies[static_cast<int>(kind)];
  if (t.outstanding.erase(name) > 0) ++t.deleted;
}

template <auto& Slot>
using SlotType = std::remove_reference_t<decltype(Slot)>;

template <auto& Slot>
void Install(SlotType<Slot> replacement, SlotType<Slot>& original) {
  original = Slot;
  Slot = replacement;
  restorers.push_back([&original] { Slot = original; });
  installedTests.push_back([replacement] { return Slot == replacement; });
}

// glGen*(n, names) and glCreate*(n, names) (DSA).
template <auto& Slot, ObjectKind Kind>
struct GenHook {
  static inline SlotType<Slot> original = nullptr;
  static void GLAPIENTRY Call(GLsizei n, GLuint* names) {
    original(n, names);
    for (GLsizei i = 0; names && i < n; ++i) Record(Kind, names[i]);
  }
  static void Hook() {
    if (Slot) Install<Slot>(&Call, original);
  }
};

// glDelete*(n, names).
template <auto& Slot, ObjectKind Kind>
struct DeleteHook {
  static inline SlotType<Slot> original = nullptr;
  static void GLAPIENTRY Call(GLsizei n, const GLuint* names) {
    original(n, names);
    for (GLsizei i = 0; names && i < n; ++i) Forget(Kind, names[i]);
  }
  static void Hook() {
    if (Slot) Install<Slot>(&Call, original);
  }
};

// glDeleteProgram(name), glDeleteShader(name).
template <auto& Slot, ObjectKind Kind>
struct DeleteOneHook {
  static inline SlotType<Slot> original = nullptr;
  static void GLAPIENTRY Call(GLuint name) {
    original(name);
    Forget(Kind, name);
  }
  static void Hook() {
    if (Slot) Install<Slot>(&Call, original);
  }
};

struct CreateProgramHook {
  static inline PFNGLCREATEPROGRAMPROC original = nullptr;
  static GLuint GLAPIENTRY Call() {
    const GLuint name = original();
    Record(ObjectKind::Program, name);
    return name;
  }
  static void Hook() {
    if (__glewCreateProgram) Install<__glewCreateProgram>(&Call, original);
  }
};

struct CreateShaderHook {
  static inline PFNGLCREATESHADERPROC original = nullptr;
  static GLuint GLAPIENTRY Call(GLenum type) {
    const GLuint name = original(type);
    Record(ObjectKind::Shader, name);
    return name;
  }
  static void Hook() {
    if (__glewCreateShader) Install<__glewCreateShader>(&Call, original);
  }
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

CreateDeleteTally::CreateDeleteTally() {
  for (auto& t : tallies) t = {};
  highestName = 0;
  CreateProgramHook::Hook();
  CreateShaderHook::Hook();
  DeleteOneHook<__glewDeleteProgram, ObjectKind::Program>::Hook();
  DeleteOneHook<__glewDeleteShader, ObjectKind::Shader>::Hook();
  GenHook<__glewGenBuffers, ObjectKind::Buffer>::Hook();
  GenHook<__glewCreateBuffers, ObjectKind::Buffer>::Hook();
  DeleteHook<__glewDeleteBuffers, ObjectKind::Buffer>::Hook();
  GenHook<__glewGenVertexArrays, ObjectKind::VertexArray>::Hook();
  GenHook<__glewCreateVertexArrays, ObjectKind::VertexArray>::Hook();
  DeleteHook<__glewDeleteVertexArrays, ObjectKind::VertexArray>::Hook();
  GenHook<__glewGenFramebuffers, ObjectKind::Framebuffer>::Hook();
  GenHook<__glewCreateFramebuffers, ObjectKind::Framebuffer>::Hook();
  DeleteHook<__glewDeleteFramebuffers, ObjectKind::Framebuffer>::Hook();
  GenHook<__glewGenRenderbuffers, ObjectKind::Renderbuffer>::Hook();
  GenHook<__glewCreateRenderbuffers, ObjectKind::Renderbuffer>::Hook();
  DeleteHook<__glewDeleteRenderbuffers, ObjectKind::Renderbuffer>::Hook();
}

CreateDeleteTally::~CreateDeleteTally() {
  // Only restore what is still ours; a glewInit may have put the real
  // pointers back already.
  for (std::size_t i = restorers.size(); i-- > 0;)
    if (installedTests[i]()) restorers[i]();
  restorers.clear();
  installedTests.clear();
}

int CreateDeleteTally::Created(ObjectKind kind) const { return tallies[static_cast<int>(kind)].created; }
int CreateDeleteTally::Deleted(ObjectKind kind) const { return tallies[static_cast<int>(kind)].deleted; }
const std::set<GLuint>& CreateDeleteTally::Outstanding(ObjectKind kind) const {
  return tallies[static_cast<int>(kind)].outstanding;
}
GLuint CreateDeleteTally::HighestName() const { return highestName; }

bool CreateDeleteTally::StillInstalled() const {
  for (const auto& test : installedTests)
    if (!test()) return false;
  return !installedTests.empty();
}

std::string CreateDeleteTally::Summary() const {
  std::string text;
  for (int k = 0; k < kObjectKinds; ++k) {
    const auto& t = tallies[k];
    if (t.created == 0 && t.deleted == 0) continue;
    if (!text.empty()) text += ", ";
    text += std::string(ObjectKindName(static_cast<ObjectKind>(k), true)) + " " + std::to_string(t.created) +
            " made / " + std::to_string(t.deleted) + " deleted";
  }
  return text.empty() ? "no counted create or delete calls" : text;
}

}  // namespace validate
