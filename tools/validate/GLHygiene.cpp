#include "GLHygiene.h"

#include <cstdio>

namespace validate {
namespace {

struct Query {
  const char* name;
  GLenum pname;
  int count;
  bool isEnum;
  bool isCapability;  // read with glIsEnabled
};

const Query kQueries[] = {
    {"GL_DRAW_FRAMEBUFFER_BINDING", GL_DRAW_FRAMEBUFFER_BINDING, 1, false, false},
    {"GL_READ_FRAMEBUFFER_BINDING", GL_READ_FRAMEBUFFER_BINDING, 1, false, false},
    {"GL_VIEWPORT", GL_VIEWPORT, 4, false, false},
    {"GL_SCISSOR_TEST", GL_SCISSOR_TEST, 1, false, true},
    {"GL_SCISSOR_BOX", GL_SCISSOR_BOX, 4, false, false},
    {"GL_BLEND", GL_BLEND, 1, false, true},
    {"GL_BLEND_SRC_RGB", GL_BLEND_SRC_RGB, 1, true, false},
    {"GL_BLEND_DST_RGB", GL_BLEND_DST_RGB, 1, true, false},
    {"GL_BLEND_SRC_ALPHA", GL_BLEND_SRC_ALPHA, 1, true, false},
    {"GL_BLEND_DST_ALPHA", GL_BLEND_DST_ALPHA, 1, true, false},
    {"GL_BLEND_EQUATION_RGB", GL_BLEND_EQUATION_RGB, 1, true, false},
    {"GL_BLEND_EQUATION_ALPHA", GL_BLEND_EQUATION_ALPHA, 1, true, false},
    {"GL_DEPTH_TEST", GL_DEPTH_TEST, 1, false, true},
    {"GL_DEPTH_FUNC", GL_DEPTH_FUNC, 1, true, false},
    {"GL_DEPTH_WRITEMASK", GL_DEPTH_WRITEMASK, 1, false, false},
    {"GL_CULL_FACE", GL_CULL_FACE, 1, false, true},
    {"GL_CULL_FACE_MODE", GL_CULL_FACE_MODE, 1, true, false},
    {"GL_FRONT_FACE", GL_FRONT_FACE, 1, true, false},
    {"GL_COLOR_WRITEMASK", GL_COLOR_WRITEMASK, 4, false, false},
    {"GL_CURRENT_PROGRAM", GL_CURRENT_PROGRAM, 1, false, false},
    {"GL_VERTEX_ARRAY_BINDING", GL_VERTEX_ARRAY_BINDING, 1, false, false},
    {"GL_ARRAY_BUFFER_BINDING", GL_ARRAY_BUFFER_BINDING, 1, false, false},
};

std::string ValueText(const Query& query, const std::vector<GLint>& values) {
  if (query.isCapability) return values[0] ? "enabled" : "disabled";
  if (query.isEnum) return GLEnumName(static_cast<GLenum>(values[0]));
  std::string text;
  for (std::size_t i = 0; i < values.size(); ++i) text += (i ? " " : "") + std::to_string(values[i]);
  return values.size() > 1 ? "(" + text + ")" : text;
}

std::vector<std::string> debugMessages;
int debugProbeSeen = 0;

void GLAPIENTRY OnDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity, GLsizei length,
                               const GLchar* message, const void*) {
  (void)source;
  (void)severity;
  (void)length;
  if (type != GL_DEBUG_TYPE_ERROR) return;
  ++debugProbeSeen;
  std::string text = message ? message : "";
  if (text.size() > 200) text = text.substr(0, 200) + "...";
  debugMessages.push_back("id " + std::to_string(id) + ": " + text);
}

}  // namespace

std::string GLEnumName(GLenum value) {
  switch (value) {
    case GL_ZERO: return "GL_ZERO";
    case GL_ONE: return "GL_ONE";
    case GL_SRC_ALPHA: return "GL_SRC_ALPHA";
    case GL_ONE_MINUS_SRC_ALPHA: return "GL_ONE_MINUS_SRC_ALPHA";
    case GL_DST_ALPHA: return "GL_DST_ALPHA";
    case GL_ONE_MINUS_DST_ALPHA: return "GL_ONE_MINUS_DST_ALPHA";
    case GL_SRC_COLOR: return "GL_SRC_COLOR";
    case GL_DST_COLOR: return "GL_DST_COLOR";
    case GL_FUNC_ADD: return "GL_FUNC_ADD";
    case GL_FUNC_SUBTRACT: return "GL_FUNC_SUBTRACT";
    case GL_FUNC_REVERSE_SUBTRACT: return "GL_FUNC_REVERSE_SUBTRACT";
    case GL_MIN: return "GL_MIN";
    case GL_MAX: return "GL_MAX";
    case GL_LESS: return "GL_LESS";
    case GL_LEQUAL: return "GL_LEQUAL";
    case GL_ALWAYS: return "GL_ALWAYS";
    case GL_FRONT: return "GL_FRONT";
    case GL_BACK: return "GL_BACK";
    case GL_FRONT_AND_BACK: return "GL_FRONT_AND_BACK";
    case GL_CW: return "GL_CW";
    case GL_CCW: return "GL_CCW";
    case GL_INVALID_ENUM: return "GL_INVALID_ENUM";
    case GL_INVALID_VALUE: return "GL_INVALID_VALUE";
    case GL_INVALID_OPERATION: return "GL_INVALID_OPERATION";
    case GL_INVALID_FRAMEBUFFER_OPERATION: return "GL_INVALID_FRAMEBUFFER_OPERATION";
    case GL_OUT_OF_MEMORY: return "GL_OUT_OF_MEMORY";
    default: {
      char hex[16];
      std::snprintf(hex, sizeof hex, "0x%04X", value);
      return hex;
    }
  }
}

StateSnapshot SnapshotState() {
  StateSnapshot snapshot;
  for (const auto& query : kQueries) {
    StateEntry entry{query.name, std::vector<GLint>(static_cast<std::size_t>(query.count), 0)};
    if (query.isCapability)
      entry.values[0] = glIsEnabled(query.pname);
    else
      glGetIntegerv(query.pname, entry.values.data());
    snapshot.push_back(std::move(entry));
  }
  return snapshot;
}

std::string DescribeChanges(const StateSnapshot& before, const StateSnapshot& after) {
  std::string text;
  for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
    if (before[i].values == after[i].values) continue;
    if (!text.empty()) text += "; ";
    text += before[i].name + " was " + ValueText(kQueries[i], before[i].values) + ", now " +
            ValueText(kQueries[i], after[i].values);
  }
  return text;
}

void SetUnusualHostState(hostkit::RenderTarget& target, hostkit::Viewport viewport) {
  target.SetViewport(viewport);
  target.Bind();
  glEnable(GL_SCISSOR_TEST);
  glScissor(viewport.x, viewport.y, viewport.width, viewport.height);
  glEnable(GL_BLEND);
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_ALWAYS);
  glDepthMask(GL_FALSE);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glCullFace(GL_FRONT);
  // What a host leaves bound between calls.
  glUseProgram(0);
  glBindVertexArray(0);
  glBindBuffer(GL_ARRAY_BUFFER, 0);
}

std::string BindingsLeft() {
  std::string text;
  auto check = [&](GLenum pname, const char* what) {
    GLint name = 0;
    glGetIntegerv(pname, &name);
    if (name == 0) return;
    if (!text.empty()) text += ", ";
    text += std::string(what) + " " + std::to_string(name) + " left bound";
  };
  check(GL_CURRENT_PROGRAM, "program");
  check(GL_VERTEX_ARRAY_BINDING, "vertex array");
  check(GL_ARRAY_BUFFER_BINDING, "array buffer");
  return text;
}

DebugErrorLog::DebugErrorLog() {
  debugMessages.clear();
  if (!glDebugMessageCallback) return;
  glEnable(GL_DEBUG_OUTPUT);
  glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
  glDebugMessageCallback(&OnDebugMessage, nullptr);
  glDebugMessageControl(GL_DONT_CARE, GL_DEBUG_TYPE_ERROR, GL_DONT_CARE, 0, nullptr, GL_TRUE);
  // One deliberate error shows whether messages really arrive.
  debugProbeSeen = 0;
  glEnable(0xFFFFu);
  works_ = debugProbeSeen > 0;
  DrainGLErrors();
  debugMessages.clear();
}

DebugErrorLog::~DebugErrorLog() {
  if (!glDebugMessageCallback) return;
  glDebugMessageCallback(nullptr, nullptr);
  glDisable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
  glDisable(GL_DEBUG_OUTPUT);
}

std::vector<std::string> DebugErrorLog::Take() {
  std::vector<std::string> taken;
  taken.swap(debugMessages);
  return taken;
}

std::string DrainGLErrors() {
  std::string text;
  for (int i = 0; i < 16; ++i) {
    const GLenum error = glGetError();
    if (error == GL_NO_ERROR) break;
    text += (text.empty() ? "" : ", ") + GLEnumName(error);
  }
  return text;
}

}  // namespace validate
