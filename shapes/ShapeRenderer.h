// ShapeRenderer: draws a ShapeList into the current framebuffer's viewport,
// all of it with one buffer upload and one draw call. It owns one
// program, one vertex array and one vertex buffer; GL objects go only through
// Release(), because a destructor may run with no context current.
//
// A draw binds its program, vertex array and buffer through the binding
// scopes, so it leaves program 0, vertex array 0 and array buffer 0 bound,
// and touches no other state: the host's blending, depth and scissor settings
// apply as the host left them.
#pragma once

#include <GL/glew.h>

#include <vector>

#include "gl/ShaderProgram.h"
#include "shapes/ShapeList.h"

namespace shapes {

class ShapeRenderer {
 public:
  ShapeRenderer() = default;
  ShapeRenderer(const ShapeRenderer&) = delete;
  ShapeRenderer& operator=(const ShapeRenderer&) = delete;

  // Builds the program and the vertex state; false, with everything
  // released, when any of it could not be made.
  bool Create();
  void Release();
  bool Ready() const { return vertexArray_ != 0; }

  // Draws `list` for an output of width x height pixels (the viewport the
  // host set). Nothing is drawn for an empty list or before Create.
  void Draw(const ShapeList& list, int width, int height);

 private:
  ffglex::ShaderProgram program_;
  GLuint vertexArray_ = 0;
  GLuint buffer_ = 0;
  std::vector<float> vertices_;  // the list's corners, kept to spare an allocation a frame
};

}  // namespace shapes
