#version 410 core
// One corner of a region code's square, in output pixels with the origin at
// the top-left and y down. Every corner carries the code's top-left corner,
// its cell size and its data square's bits, so that one draw of two
// triangles a code paints every cell.

layout(location = 0) in vec2 Corner;  // x, y
layout(location = 1) in vec3 Place;   // the code's top-left x, y; its cell size
layout(location = 2) in uvec3 Bits;   // data cell row * side + column, from bit 0 of x

uniform vec2 Res;  // output width and height in pixels

out vec2 vPixel;  // where the fragment is, in output pixels
flat out vec3 vPlace;
flat out uvec3 vBits;

void main() {
  gl_Position = vec4(2.0 * Corner.x / Res.x - 1.0, 1.0 - 2.0 * Corner.y / Res.y, 0.0, 1.0);
  vPixel = Corner;
  vPlace = Place;
  vBits = Bits;
}
