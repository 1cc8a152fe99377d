#include "hostkit/GLInterceptor.h"

#include <stdexcept>
#include <tuple>
#include <type_traits>

namespace hostkit {
namespace {

const GLInterceptor::Observer* observer = nullptr;
std::vector<std::function<void()>> restorers;
std::vector<std::function<bool()>> installedTests;

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

// The names of a (count, names) call: glGen*, glCreate* (DSA), glDelete*.
template <typename... Args>
std::vector<GLuint> NamesOf(const Args&... args) {
  if constexpr (sizeof...(Args) == 2) {
    // The types as declared: those of the const tuple below would be const
    // themselves and match neither GLsizei nor a names pointer.
    using Count = std::tuple_element_t<0, std::tuple<Args...>>;
    using Names = std::tuple_element_t<1, std::tuple<Args...>>;
    const auto arguments = std::make_tuple(args...);
    if constexpr (std::is_same_v<Count, GLsizei> &&
                  (std::is_same_v<Names, GLuint*> || std::is_same_v<Names, const GLuint*>)) {
      const GLsizei count = std::get<0>(arguments);
      const auto* names = std::get<1>(arguments);
      if (names && count > 0) return std::vector<GLuint>(names, names + count);
    }
  }
  return {};
}

// One wrapper per GLEW slot: the template is instantiated once for each
// pointer variable, so each wrapper knows the slot it forwards to.
template <auto& Slot, typename Function>
struct Wrapper;

template <auto& Slot, typename Result, typename... Args>
struct Wrapper<Slot, Result(GLAPIENTRY*)(Args...)> {
  static inline Result(GLAPIENTRY* original)(Args...) = nullptr;
  static inline const char* name = nullptr;

  static Result GLAPIENTRY Call(Args... args) {
    GLCall call{name, FirstAsNumber(args...), 0, {}};
    if constexpr (std::is_void_v<Result>) {
      original(args...);
      call.names = NamesOf(args...);  // after the call: glGen* fills them in
      if (observer) (*observer)(call);
    } else {
      Result result = original(args...);
      call.result = AsNumber(result);
      if (observer) (*observer)(call);
      return result;
    }
  }
  static void Install(const char* functionName) {
    if (!Slot) return;  // an entry point this driver lacks
    name = functionName;
    original = Slot;
    Slot = &Call;
    restorers.push_back([] { Slot = original; });
    installedTests.push_back([] { return Slot == &Call; });
  }
};

#define INTERCEPT_GL(slot, function) Wrapper<slot, decltype(slot)>::Install(function)

void InstallAll() {
  INTERCEPT_GL(__glewUseProgram, "glUseProgram");
  INTERCEPT_GL(__glewBindVertexArray, "glBindVertexArray");
  INTERCEPT_GL(__glewBindBuffer, "glBindBuffer");
  INTERCEPT_GL(__glewGenVertexArrays, "glGenVertexArrays");
  INTERCEPT_GL(__glewCreateVertexArrays, "glCreateVertexArrays");
  INTERCEPT_GL(__glewDeleteVertexArrays, "glDeleteVertexArrays");
  INTERCEPT_GL(__glewGenBuffers, "glGenBuffers");
  INTERCEPT_GL(__glewCreateBuffers, "glCreateBuffers");
  INTERCEPT_GL(__glewDeleteBuffers, "glDeleteBuffers");
  INTERCEPT_GL(__glewGenFramebuffers, "glGenFramebuffers");
  INTERCEPT_GL(__glewCreateFramebuffers, "glCreateFramebuffers");
  INTERCEPT_GL(__glewDeleteFramebuffers, "glDeleteFramebuffers");
  INTERCEPT_GL(__glewGenRenderbuffers, "glGenRenderbuffers");
  INTERCEPT_GL(__glewCreateRenderbuffers, "glCreateRenderbuffers");
  INTERCEPT_GL(__glewDeleteRenderbuffers, "glDeleteRenderbuffers");
  INTERCEPT_GL(__glewBufferData, "glBufferData");
  INTERCEPT_GL(__glewBufferSubData, "glBufferSubData");
  INTERCEPT_GL(__glewDrawArraysInstanced, "glDrawArraysInstanced");
  INTERCEPT_GL(__glewVertexAttribDivisor, "glVertexAttribDivisor");
  INTERCEPT_GL(__glewEnableVertexAttribArray, "glEnableVertexAttribArray");
  INTERCEPT_GL(__glewVertexAttribPointer, "glVertexAttribPointer");
  INTERCEPT_GL(__glewCreateShader, "glCreateShader");
  INTERCEPT_GL(__glewShaderSource, "glShaderSource");
  INTERCEPT_GL(__glewCompileShader, "glCompileShader");
  INTERCEPT_GL(__glewGetShaderiv, "glGetShaderiv");
  INTERCEPT_GL(__glewGetShaderInfoLog, "glGetShaderInfoLog");
  INTERCEPT_GL(__glewDeleteShader, "glDeleteShader");
  INTERCEPT_GL(__glewCreateProgram, "glCreateProgram");
  INTERCEPT_GL(__glewAttachShader, "glAttachShader");
  INTERCEPT_GL(__glewLinkProgram, "glLinkProgram");
  INTERCEPT_GL(__glewGetProgramiv, "glGetProgramiv");
  INTERCEPT_GL(__glewGetProgramInfoLog, "glGetProgramInfoLog");
  INTERCEPT_GL(__glewDeleteProgram, "glDeleteProgram");
  INTERCEPT_GL(__glewGetUniformLocation, "glGetUniformLocation");
  INTERCEPT_GL(__glewUniform1f, "glUniform1f");
  INTERCEPT_GL(__glewUniform1i, "glUniform1i");
  INTERCEPT_GL(__glewUniform1iv, "glUniform1iv");
  INTERCEPT_GL(__glewUniform2i, "glUniform2i");
  INTERCEPT_GL(__glewUniform2f, "glUniform2f");
  INTERCEPT_GL(__glewUniform4fv, "glUniform4fv");
}

}  // namespace

GLInterceptor::GLInterceptor(Observer watcher) {
  if (observer) throw std::logic_error("a GL interceptor is already installed");
  observer = new Observer(std::move(watcher));
  InstallAll();
}

GLInterceptor::~GLInterceptor() {
  for (std::size_t i = restorers.size(); i-- > 0;)
    if (installedTests[i]()) restorers[i]();
  restorers.clear();
  installedTests.clear();
  delete observer;
  observer = nullptr;
}

bool GLInterceptor::StillInstalled() const {
  for (const auto& test : installedTests)
    if (!test()) return false;
  return !installedTests.empty();
}

GLCallCounter::GLCallCounter()
    : interceptor_([this](const GLCall& call) {
        ++calls_[call.function];
        sequence_.push_back(call);
      }) {}

int GLCallCounter::Count(const std::string& function) const {
  const auto found = calls_.find(function);
  return found == calls_.end() ? 0 : found->second;
}

void GLCallCounter::Reset() {
  calls_.clear();
  sequence_.clear();
}

}  // namespace hostkit
