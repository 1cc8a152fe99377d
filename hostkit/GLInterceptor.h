// Intercepts GL calls by swapping GLEW's function pointers for wrappers that
// forward to the real entry points and report each call. Everything in this
// process that calls GL through GLEW is seen while an interceptor lives: our
// own code, and a loaded plug-in that shares this process's GLEW. A plug-in
// with a loader of its own is not seen. Make it after glewInit (a kit
// context has run it); a later glewInit writes the real pointers back, which
// StillInstalled() reports.
#pragma once

#include <GL/glew.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace hostkit {

// One intercepted call: the function, its first argument when that is a
// number (a location, a name, a target), its result when it returns a
// number, and for glGen*, glCreate* and glDelete* with (count, names) the
// names made or deleted.
struct GLCall {
  std::string function;
  long long firstArgument = 0;
  long long result = 0;
  std::vector<GLuint> names;
};

class GLInterceptor {
 public:
  using Observer = std::function<void(const GLCall&)>;
  // Only one interceptor may live at a time: throws std::logic_error otherwise.
  explicit GLInterceptor(Observer observer);
  // Puts back every pointer that is still ours.
  ~GLInterceptor();
  GLInterceptor(const GLInterceptor&) = delete;
  GLInterceptor& operator=(const GLInterceptor&) = delete;

  // False once something (a glewInit) wrote over any of the wrappers.
  bool StillInstalled() const;
};

// Calls per GL function name, and every call in order, since it was made
// (or Reset).
class GLCallCounter {
 public:
  GLCallCounter();

  int Total() const { return static_cast<int>(sequence_.size()); }
  int Count(const std::string& function) const;
  void Reset();
  const std::map<std::string, int>& Calls() const { return calls_; }
  const std::vector<GLCall>& Sequence() const { return sequence_; }

 private:
  std::map<std::string, int> calls_;
  std::vector<GLCall> sequence_;
  GLInterceptor interceptor_;  // last: made after the records it fills
};

}  // namespace hostkit
