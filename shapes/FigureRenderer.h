// FigureRenderer: draws a FigureList into the current framebuffer's
// viewport with one instanced draw call. The list is uploaded only when it
// changes (Upload), so a picture that stays the same costs one draw call a
// frame and no transfer. It owns one program, one vertex array and one
// vertex buffer; GL objects go only through Release(), because a destructor
// may run with no context current.
//
// Upload and Draw bind through the binding scopes, so they leave program 0,
// vertex array 0 and array buffer 0 bound and touch no other state.
#pragma once

#include <GL/glew.h>

#include <cstddef>

#include "gl/ShaderProgram.h"
#include "shapes/FigureList.h"

namespace shapes {

class FigureRenderer {
 public:
  FigureRenderer() = default;
  FigureRenderer(const FigureRenderer&) = delete;
  FigureRenderer& operator=(const FigureRenderer&) = delete;

  // Builds the program (with the font loaded into it) and the vertex state;
  // false, with everything released, when any of it could not be made.
  bool Create();
  void Release();
  bool Ready() const { return vertexArray_ != 0; }

  // Copies `list` into the vertex buffer; later draws show it. Nothing is
  // kept before Create.
  void Upload(const FigureList& list);
  // Draws the uploaded figures for an output of width x height pixels.
  void Draw(int width, int height);

 private:
  ffglex::ShaderProgram program_;
  GLuint vertexArray_ = 0;
  GLuint buffer_ = 0;
  std::size_t uploaded_ = 0;
};

}  // namespace shapes
