// Which GL objects are alive, found two ways: glIs* probes over a range of
// names (works for any plug-in), and a tally of the create and delete calls
// that go through GLEW's function pointers (works only for a plug-in that
// shares this process's GLEW; one with its own loader is not seen).
#pragma once

#include <GL/glew.h>

#include <array>
#include <set>
#include <string>

namespace validate {

enum class ObjectKind { Program, Shader, Buffer, VertexArray, Texture, Framebuffer, Renderbuffer };
constexpr int kObjectKinds = 7;
const char* ObjectKindName(ObjectKind kind, bool plural);

struct Census {
  std::array<std::set<GLuint>, kObjectKinds> alive;
  std::size_t Total() const;
};

// Probes names 1..`highestName` of every kind.
Census TakeCensus(GLuint highestName = 4096);

// The objects alive in `after` but not in `before`, e.g.
// "3 programs (names 4, 7, 9), 1 buffer (name 2)"; empty when none.
std::string NewObjects(const Census& before, const Census& after);
std::size_t CountNew(const Census& before, const Census& after);

// Swaps GLEW's pointers of the create and delete calls for counting ones
// while it lives. Make it after the plug-in's own loader ran (its first
// instantiation): a later glewInit writes the real pointers back.
class CreateDeleteTally {
 public:
  CreateDeleteTally();
  ~CreateDeleteTally();
  CreateDeleteTally(const CreateDeleteTally&) = delete;
  CreateDeleteTally& operator=(const CreateDeleteTally&) = delete;

  int Created(ObjectKind kind) const;
  int Deleted(ObjectKind kind) const;
  // Names created through the counted calls and not deleted since.
  const std::set<GLuint>& Outstanding(ObjectKind kind) const;
  GLuint HighestName() const;
  // False once something (a glewInit) wrote over the counting pointers.
  bool StillInstalled() const;
  // "glCreateProgram 1000 / glDeleteProgram 0, ..." for the kinds with calls.
  std::string Summary() const;
};

}  // namespace validate
