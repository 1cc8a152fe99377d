// Counts GL calls by swapping GLEW's function pointers for counting
// wrappers that forward to the real entry points. Everything that calls GL
// through GLEW in this process, the loaded plug-in included, is counted
// while a counter lives. Make it after glewInit (the kit's context does that).
#pragma once

#include <GL/glew.h>

#include <map>
#include <string>
#include <vector>

namespace glcount {

// One recorded call: the function, its first argument when that is a number
// (a location, a name, a target), and its result when it returns a number.
struct GLCall {
  std::string function;
  long long firstArgument = 0;
  long long result = 0;
};

// Calls per GL function name since the counter was made (or Reset).
class GLCallCounter {
 public:
  GLCallCounter();
  ~GLCallCounter();
  GLCallCounter(const GLCallCounter&) = delete;
  GLCallCounter& operator=(const GLCallCounter&) = delete;

  int Total() const;
  int Count(const std::string& function) const;
  void Reset();
  const std::map<std::string, int>& Calls() const;
  // Every counted call in order.
  const std::vector<GLCall>& Sequence() const;
};

}  // namespace glcount
