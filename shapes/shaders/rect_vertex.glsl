#version 410 core
// One axis-aligned rectangle per instance, in output pixels with the origin
// at the top-left and y down, drawn as a four-vertex triangle strip whose
// corners come from gl_VertexID: bit 0 picks right over left, bit 1 bottom
// over top.

layout(location = 0) in vec4 Rect;    // left, top, right, bottom
layout(location = 1) in vec4 Colour;  // straight RGBA

uniform vec2 Res;  // output width and height in pixels

flat out vec4 vColour;

void main() {
  float x = (gl_VertexID & 1) != 0 ? Rect.z : Rect.x;
  float y = (gl_VertexID & 2) != 0 ? Rect.w : Rect.y;
  gl_Position = vec4(2.0 * x / Res.x - 1.0, 1.0 - 2.0 * y / Res.y, 0.0, 1.0);
  vColour = Colour;
}
