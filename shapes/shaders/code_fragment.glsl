#version 410 core
// One pixel of a region code: its cell from where it lies, then the quiet
// ring white, the border ring black, and a data cell as its bit says.

in vec2 vPixel;
flat in vec3 vPlace;
flat in uvec3 vBits;
out vec4 FragColour;

uniform int Rings;           // rings around the data square: quiet, then border
uniform int DataSide;        // data cells along a side
uniform vec4 White;
uniform vec4 Black;

bool Bit(uvec3 words, int i) {
  uint word = i < 32 ? words.x : (i < 64 ? words.y : words.z);
  return ((word >> uint(i & 31)) & 1u) != 0u;
}

void main() {
  // Pixel centres lie half a pixel into a cell or more, so the floor never
  // meets a cell's edge.
  ivec2 cell = ivec2(floor((vPixel - vPlace.xy) / vPlace.z));
  int side = DataSide + 2 * Rings;
  cell = clamp(cell, ivec2(0), ivec2(side - 1));
  int ring = min(min(cell.x, cell.y), min(side - 1 - cell.x, side - 1 - cell.y));
  ivec2 data = cell - ivec2(Rings);
  if (ring == 0) {
    FragColour = White;
  } else if (ring < Rings) {
    FragColour = Black;
  } else {
    FragColour = Bit(vBits, data.y * DataSide + data.x) ? White : Black;
  }
}
