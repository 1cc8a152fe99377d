// RegionCodeRenderer: draws region codes (framestamp/RegionCode.h) into the
// current framebuffer's viewport as two triangles a code, each pixel finding
// its cell in the fragment shader: the same pixels as the code's rectangles
// (shapes/RegionCodeRects.h) at a fraction of their cost, since llvmpipe
// pays per triangle more than per pixel. One buffer upload and one draw call
// a frame.
//
// It owns one program, one vertex array and one vertex buffer; GL objects go
// only through Release(), because a destructor may run with no context
// current. A draw leaves program 0, vertex array 0 and array buffer 0 bound
// and touches no other state.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <vector>

#include "framestamp/RegionCode.h"
#include "gl/ShaderProgram.h"
#include "shapes/Colour.h"

namespace shapes {

// The largest cell this renderer is the cheaper way to draw: a code costs it
// 169 shaded cells of s x s pixels, against some 22 flat rectangles (their
// set-up, mostly) drawn as rectangles. Measured on llvmpipe at 3840x2160:
// 4,096 codes of 2-pixel cells cost a third of their rectangles' time, while
// 144 codes of 8-pixel cells cost more than theirs.
constexpr int kMaxShadedCodeCell = 3;

// One code to draw: its top-left corner (quiet ring included) and cell size
// in output pixels, and its data square.
struct PlacedRegionCode {
  int x = 0, y = 0, cell = 0;
  RegionCodeData data{};
};

class RegionCodeRenderer {
 public:
  RegionCodeRenderer() = default;
  RegionCodeRenderer(const RegionCodeRenderer&) = delete;
  RegionCodeRenderer& operator=(const RegionCodeRenderer&) = delete;

  // Builds the program and the vertex state; false, with everything
  // released, when any of it could not be made.
  bool Create();
  void Release();
  bool Ready() const { return vertexArray_ != 0; }

  // Draws `codes` for an output of width x height pixels, white cells in
  // `white` and black ones in kBlack. Nothing is drawn before Create, and no
  // code of cells under one pixel.
  void Draw(const std::vector<PlacedRegionCode>& codes, const Colour& white, int width, int height);

 private:
  struct Vertex {
    float corner[2];
    float place[3];
    std::uint32_t bits[3];
  };
  ffglex::ShaderProgram program_;
  GLuint vertexArray_ = 0;
  GLuint buffer_ = 0;
  std::vector<Vertex> vertices_;  // kept to spare an allocation a frame
};

}  // namespace shapes
