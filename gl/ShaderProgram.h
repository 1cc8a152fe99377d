// ShaderProgram: one GLSL program built from a vertex and a fragment source,
// the two shader objects it was linked from, and a cache of uniform
// locations by name. GL objects are deleted only by Release(): a destructor
// may run when no context is current, so it makes no GL call.
//
// Every operation needs the owner's GL context current, on its thread.
#pragma once

#include <GL/glew.h>

#include <string>
#include <unordered_map>

namespace ffglex {

// Writes one diagnostic line to the platform's debugger output and then to
// standard output (flushed). On Windows the debugger output is
// OutputDebugStringA; elsewhere, where there is no debugger channel, standard
// error stands in for it. Line breaks inside the text become blanks.
void LogDiagnostic(const char* text);

class ShaderProgram {
 public:
  ShaderProgram() = default;
  ~ShaderProgram() = default;
  ShaderProgram(const ShaderProgram&) = delete;
  ShaderProgram& operator=(const ShaderProgram&) = delete;

  // Compiles both stages and links them. False, with everything released,
  // when either source is null or empty (no message) or when a stage fails
  // to compile or the program fails to link (one diagnostic line).
  bool Compile(const char* vertexSource, const char* fragmentSource);
  // Deletes whatever GL objects exist; a second call makes no GL call.
  void Release();

  // Cached lookup: asks GL once per name per link, -1 included.
  GLint UniformLocation(const char* name);
  // glUniform1f on the named uniform; the program must be current.
  void SetFloat(const char* name, float value);
  GLuint ProgramId() const { return program_; }

 private:
  bool CompileStage(GLenum type, const char* source, const char* prefix, GLuint& shader);
  bool Link();

  GLuint vertexShader_ = 0;
  GLuint fragmentShader_ = 0;
  GLuint program_ = 0;
  std::unordered_map<std::string, GLint> uniformLocations_;
};

}  // namespace ffglex
