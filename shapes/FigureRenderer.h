// FigureRenderer: draws a FigureList into the current framebuffer's
// viewport. Each kind of figure has a program of its own (the figure shaders
// compiled with KIND defined), built when a list first holds that kind, so
// that a pixel runs only its own kind's rule; the list is drawn as runs of
// one kind, one draw call per run, in the list's order. The list is
// uploaded only when it changes (Upload), so a picture that stays the same
// costs a few draw calls a frame and no transfer. GL objects go only through
// Release(), because a destructor may run with no context current.
//
// Upload and Draw bind through the binding scopes, so they leave program 0,
// vertex array 0 and array buffer 0 bound and touch no other state.
#pragma once

#include <GL/glew.h>

#include <array>
#include <cstddef>
#include <vector>

#include "gl/ShaderProgram.h"
#include "shapes/FigureList.h"

namespace shapes {

class FigureRenderer {
 public:
  FigureRenderer() = default;
  FigureRenderer(const FigureRenderer&) = delete;
  FigureRenderer& operator=(const FigureRenderer&) = delete;

  // Makes the vertex array and buffer and the solid figures' program; false,
  // with everything released, when any of them could not be made (a context
  // older than GL 4.1, say).
  bool Create();
  void Release();
  bool Ready() const { return vertexArray_ != 0; }

  // Copies `list` into the vertex buffer and builds the programs of the kinds
  // it holds; later draws show it. False, with nothing kept to draw, when a
  // program could not be built (ShaderProgram logs the driver's diagnostic
  // line), when the list is too long for one draw call, or before Create.
  bool Upload(const FigureList& list);
  // Upload in steps, for a list too large to send in one frame:
  // Reserve takes the list's kinds and length (building its programs and
  // the buffer's storage, kept while later lists fit it; false as Upload),
  // then each UploadPart sends the figures [first, first + count) of the
  // same list. Only figures already sent may be drawn.
  bool Reserve(const FigureList& list);
  void UploadPart(const FigureList& list, std::size_t first, std::size_t count);
  // Draws the uploaded figures for an output of width x height pixels.
  void Draw(int width, int height);
  // Draws the uploaded figures [first, first + count) only, in order: a
  // picture drawn in parts, one call after another into the same target,
  // has the same pixels as one drawn whole.
  void Draw(int width, int height, std::size_t first, std::size_t count);
  // Figures uploaded.
  std::size_t Count() const { return count_; }
  // Runs of one kind the uploaded list is drawn in (one draw call each).
  std::size_t RunCount() const { return runs_.size(); }

 private:
  struct Run {
    FigureKind kind;
    std::size_t first, count;
  };
  bool EnsureProgram(FigureKind kind);

  std::array<ffglex::ShaderProgram, kFigureKindCount> programs_;
  std::array<bool, kFigureKindCount> built_{};
  GLuint vertexArray_ = 0;
  GLuint buffer_ = 0;
  std::vector<Run> runs_;
  std::size_t count_ = 0;
  std::size_t capacityBytes_ = 0;  // the buffer's storage, kept while a list fits it
  std::vector<float> staging_;     // the vertices of the part being sent
};

}  // namespace shapes
