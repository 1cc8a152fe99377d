#include "GLCallCounter.h"

#include <functional>
#include <type_traits>
#include <vector>

namespace glcount {

namespace {

std::map<std::string, int> calls;
std::vector<GLCall> sequence;

template <typename Value>
long long AsNumber(const Value& value) {
  if constexpr (std::is_integral_v<Value> || std::is_enum_v<Value>)
    return static_cast<long long>(value);
  else
    return 0;
}

template <typename First, typename... Rest>
long long FirstAsNumber(const First& first, const Rest&...) {
  return AsNumber(first);
}
inline long long FirstAsNumber() { return 0; }
std::vector<std::function<void()>> restorers;

// One wrapper per GLEW slot: the template is instantiated once for each
// pointer variable, so each wrapper knows the slot it forwards to.
template <auto& Slot, typename Function>
struct Wrapper;

template <auto& Slot, typename Result, typename... Args>
struct Wrapper<Slot, Result(GLAPIENTRY*)(Args...)> {
  static inline Result(GLAPIENTRY* original)(Args...) = nullptr;
  static inline const char* name = nullptr;

  static Result GLAPIENTRY Call(Args... args) {
    ++calls[name];
    GLCall call{name, FirstAsNumber(args...), 0};
    if constexpr (std::is_void_v<Result>) {
      original(args...);
      sequence.push_back(call);
    } else {
      Result result = original(args...);
      call.result = AsNumber(result);
      sequence.push_back(call);
      return result;
    }
  }
  static void Install(const char* functionName) {
    name = functionName;
    original = Slot;
    Slot = &Call;
    restorers.push_back([] { Slot = original; });
  }
};

#define COUNT_GL(slot, function) Wrapper<slot, decltype(slot)>::Install(function)

void InstallAll() {
  COUNT_GL(__glewUseProgram, "glUseProgram");
  COUNT_GL(__glewBindVertexArray, "glBindVertexArray");
  COUNT_GL(__glewBindBuffer, "glBindBuffer");
  COUNT_GL(__glewGenVertexArrays, "glGenVertexArrays");
  COUNT_GL(__glewGenBuffers, "glGenBuffers");
  COUNT_GL(__glewDeleteVertexArrays, "glDeleteVertexArrays");
  COUNT_GL(__glewDeleteBuffers, "glDeleteBuffers");
  COUNT_GL(__glewBufferData, "glBufferData");
  COUNT_GL(__glewEnableVertexAttribArray, "glEnableVertexAttribArray");
  COUNT_GL(__glewVertexAttribPointer, "glVertexAttribPointer");
  COUNT_GL(__glewCreateShader, "glCreateShader");
  COUNT_GL(__glewShaderSource, "glShaderSource");
  COUNT_GL(__glewCompileShader, "glCompileShader");
  COUNT_GL(__glewGetShaderiv, "glGetShaderiv");
  COUNT_GL(__glewGetShaderInfoLog, "glGetShaderInfoLog");
  COUNT_GL(__glewDeleteShader, "glDeleteShader");
  COUNT_GL(__glewCreateProgram, "glCreateProgram");
  COUNT_GL(__glewAttachShader, "glAttachShader");
  COUNT_GL(__glewLinkProgram, "glLinkProgram");
  COUNT_GL(__glewGetProgramiv, "glGetProgramiv");
  COUNT_GL(__glewGetProgramInfoLog, "glGetProgramInfoLog");
  COUNT_GL(__glewDeleteProgram, "glDeleteProgram");
  COUNT_GL(__glewGetUniformLocation, "glGetUniformLocation");
  COUNT_GL(__glewUniform1f, "glUniform1f");
  COUNT_GL(__glewUniform1i, "glUniform1i");
  COUNT_GL(__glewUniform1iv, "glUniform1iv");
  COUNT_GL(__glewUniform2i, "glUniform2i");
  COUNT_GL(__glewUniform2f, "glUniform2f");
  COUNT_GL(__glewUniform4fv, "glUniform4fv");
}

}  // namespace

GLCallCounter::GLCallCounter() {
  calls.clear();
  sequence.clear();
  InstallAll();
}

GLCallCounter::~GLCallCounter() {
  for (auto it = restorers.rbegin(); it != restorers.rend(); ++it) (*it)();
  restorers.clear();
}

int GLCallCounter::Total() const {
  int total = 0;
  for (const auto& entry : calls) total += entry.second;
  return total;
}

int GLCallCounter::Count(const std::string& function) const {
  auto found = calls.find(function);
  return found == calls.end() ? 0 : found->second;
}

void GLCallCounter::Reset() {
  calls.clear();
  sequence.clear();
}

const std::vector<GLCall>& GLCallCounter::Sequence() const { return sequence; }

const std::map<std::string, int>& GLCallCounter::Calls() const { return calls; }

}  // namespace glcount
