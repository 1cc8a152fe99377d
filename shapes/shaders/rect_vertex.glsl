#version 410 core
// One corner of a rectangle's two triangles, in output pixels with the origin
// at the top-left and y down; every corner of a rectangle carries its colour.

layout(location = 0) in vec2 Corner;  // x, y
layout(location = 1) in vec4 Colour;  // straight RGBA

uniform vec2 Res;  // output width and height in pixels

flat out vec4 vColour;

void main() {
  gl_Position = vec4(2.0 * Corner.x / Res.x - 1.0, 1.0 - 2.0 * Corner.y / Res.y, 0.0, 1.0);
  vColour = Colour;
}
