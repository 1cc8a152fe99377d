// ScreenQuad: two triangles covering clip space, each vertex a texture
// coordinate (attribute 1) then a position (attribute 0). Created once per
// GL initialisation and drawn once per frame; GL objects go only through
// Release(), never the destructor.
#pragma once

#include <GL/glew.h>

namespace ffglex {

class ScreenQuad {
 public:
  ScreenQuad() = default;
  ~ScreenQuad() = default;
  ScreenQuad(const ScreenQuad&) = delete;
  ScreenQuad& operator=(const ScreenQuad&) = delete;

  // Makes the vertex array and buffer and uploads the vertices; with `flipV`
  // the texture coordinates run top-down. False (both names 0) when either
  // object could not be made. Leaves no vertex array or buffer bound.
  bool Create(bool flipV);
  // One draw of six vertices with the caller's program; nothing when empty.
  void Draw() const;
  // Deletes both objects (GL ignores the name 0).
  void Release();

  GLuint VertexArray() const { return vertexArray_; }
  GLuint VertexBuffer() const { return vertexBuffer_; }

 private:
  GLuint vertexArray_ = 0;
  GLuint vertexBuffer_ = 0;
};

}  // namespace ffglex
