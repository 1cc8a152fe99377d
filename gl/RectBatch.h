// RectBatch: draws axis-aligned rectangles given in clip space with a program
// whose vertex stage builds them from gl_VertexID and a uniform array (see
// free/shaders/region_vertex.glsl), so no vertex buffer is bound or written per
// frame. It owns one vertex array with no attributes, which the core profile
// needs bound for any draw. GL objects go only through Release().
#pragma once

#include <GL/glew.h>

#include <vector>

#include "gl/ShaderProgram.h"

namespace ffglex {

class RectBatch {
 public:
  RectBatch() = default;
  RectBatch(const RectBatch&) = delete;
  RectBatch& operator=(const RectBatch&) = delete;

  // Makes the vertex array; false (name 0) when it could not be made.
  bool Create();
  void Release();

  // Draws `rects` (left, top, right, bottom per rectangle) with `program`,
  // which must be current, `perDraw` rectangles per draw call through its
  // vec4 array uniform `arrayName`. Leaves vertex array 0 bound.
  void Draw(ShaderProgram& program, const char* arrayName, int perDraw,
            const std::vector<GLfloat>& rects) const;

  GLuint VertexArray() const { return vertexArray_; }

 private:
  GLuint vertexArray_ = 0;
};

}  // namespace ffglex
