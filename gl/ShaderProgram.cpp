#include "gl/ShaderProgram.h"

#include <cstdio>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace ffglex {

namespace {

constexpr char kVertexPrefix[] = "Vertex Shader error: ";
constexpr char kFragmentPrefix[] = "Fragment Shader error: ";

bool IsEmpty(const char* text) { return !text || text[0] == '\0'; }

}  // namespace

void LogDiagnostic(const char* text) {
  // Drivers end their logs with a line break and put one between messages;
  // a diagnostic stays one line so that whoever reads the output line by
  // line sees it whole.
  std::string line = text ? text : "";
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  for (char& c : line)
    if (c == '\n' || c == '\r') c = ' ';
#if defined(_WIN32)
  OutputDebugStringA(line.c_str());
  OutputDebugStringA("\n");
#else
  std::fprintf(stderr, "%s\n", line.c_str());
#endif
  std::fprintf(stdout, "%s\n", line.c_str());
  std::fflush(stdout);
}

bool ShaderProgram::Compile(const char* vertexSource, const char* fragmentSource) {
  if (IsEmpty(vertexSource) || IsEmpty(fragmentSource)) return false;
  if (!CompileStage(GL_VERTEX_SHADER, vertexSource, kVertexPrefix, vertexShader_) ||
      !CompileStage(GL_FRAGMENT_SHADER, fragmentSource, kFragmentPrefix, fragmentShader_) ||
      !Link()) {
    Release();
    return false;
  }
  return true;
}

bool ShaderProgram::CompileStage(GLenum type, const char* source, const char* prefix,
                                 GLuint& shader) {
  shader = glCreateShader(type);
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint status = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (status == GL_TRUE) return true;

  GLint length = 0;
  glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
  if (length < 0) length = 0;
  std::vector<char> log(static_cast<std::size_t>(length) + 1, '\0');
  glGetShaderInfoLog(shader, length, nullptr, log.data());
  LogDiagnostic((std::string(prefix) + log.data()).c_str());
  // The shader object stays in its field; Release() deletes it.
  return false;
}

bool ShaderProgram::Link() {
  uniformLocations_.clear();
  program_ = glCreateProgram();
  glAttachShader(program_, vertexShader_);
  if (fragmentShader_ != 0) glAttachShader(program_, fragmentShader_);
  glLinkProgram(program_);
  GLint status = GL_FALSE;
  glGetProgramiv(program_, GL_LINK_STATUS, &status);
  if (status == GL_TRUE) return true;

  // A link failure is reported under the fragment stage's prefix.
  char log[1024] = {};
  GLsizei length = 0;
  glGetProgramInfoLog(program_, sizeof log - 1, &length, log);
  log[length >= 0 && length < static_cast<GLsizei>(sizeof log) ? length : 0] = '\0';
  LogDiagnostic((std::string(kFragmentPrefix) + log).c_str());
  return false;
}

void ShaderProgram::Release() {
  if (vertexShader_ != 0) {
    glDeleteShader(vertexShader_);
    vertexShader_ = 0;
  }
  if (fragmentShader_ != 0) {
    glDeleteShader(fragmentShader_);
    fragmentShader_ = 0;
  }
  if (program_ != 0) {
    glDeleteProgram(program_);
    program_ = 0;
  }
  if (!uniformLocations_.empty()) uniformLocations_.clear();
}

GLint ShaderProgram::UniformLocation(const char* name) {
  auto found = uniformLocations_.find(name);
  if (found != uniformLocations_.end()) return found->second;
  const GLint location = glGetUniformLocation(program_, name);
  uniformLocations_.emplace(name, location);
  return location;
}

void ShaderProgram::SetFloat(const char* name, float value) {
  glUniform1f(UniformLocation(name), value);
}

}  // namespace ffglex
