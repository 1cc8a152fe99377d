// Which GL objects are alive, found two ways: glIs* probes over a range of
// names (works for any plug-in), and a tally of the create and delete calls
// seen by the host kit's GL interceptor (works only for a plug-in that
// shares this process's GLEW; one with its own loader is not seen).
#pragma once

#include <GL/glew.h>

#include <array>
#include <set>
#include <string>

#include "hostkit/GLInterceptor.h"

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

// Counts the create and delete calls while it lives. Make it after the
// plug-in's own loader ran (its first instantiation): a later glewInit
// writes the real pointers back.
class CreateDeleteTally {
 public:
  CreateDeleteTally();
  CreateDeleteTally(const CreateDeleteTally&) = delete;
  CreateDeleteTally& operator=(const CreateDeleteTally&) = delete;

  int Created(ObjectKind kind) const;
  int Deleted(ObjectKind kind) const;
  // Names created through the counted calls and not deleted since.
  const std::set<GLuint>& Outstanding(ObjectKind kind) const;
  GLuint HighestName() const;
  // False once something (a glewInit) wrote over the counting pointers.
  bool StillInstalled() const;
  // "programs 1000 made / 0 deleted, ..." for the kinds with calls.
  std::string Summary() const;

 private:
  struct KindTally {
    int created = 0, deleted = 0;
    std::set<GLuint> outstanding;
  };
  void Observe(const hostkit::GLCall& call);

  std::array<KindTally, kObjectKinds> tallies_;
  GLuint highestName_ = 0;
  hostkit::GLInterceptor interceptor_;  // last: made after the tallies it fills
};

}  // namespace validate
