#version 410 core
// One figure per six vertices (shapes/FigureList.h: its data repeated for
// each), two triangles whose corners come from gl_VertexID. Rectangle kinds take
// their corners from the rectangle (bit 0 picks right over left, bit 1
// bottom over top); a segment and an arrowhead are quads laid along the line
// between their two points. Coordinates are output pixels, origin top-left,
// y down. KIND, the kind this program draws, is defined by the renderer.

// The kinds, as macros so that the preprocessor can test KIND against them.
#define SOLID 0
#define HATCH 1
#define GLYPH 2
#define CORNER_TRIANGLE 3
#define SEGMENT 4
#define ARROW_HEAD 5
#define TEXT_RUN 6
#define BOX 7

layout(location = 0) in vec4 Geometry;  // left, top, right, bottom; or x0, y0, x1, y1
layout(location = 1) in vec4 Colour;    // straight RGBA
layout(location = 2) in vec4 Ground;    // a hatch's ground colour
layout(location = 3) in vec4 Params;    // kind, then the kind's three parameters

uniform vec2 Res;  // output width and height in pixels

flat out vec4 vColour;
flat out vec4 vGround;
flat out ivec4 vParams;
flat out ivec2 vSize;  // rectangle kinds: width and height in pixels
out vec2 vLocal;       // rectangle kinds: pixels from the top-left; arrowhead: along, across
out vec2 vOutput;      // output pixels

void main() {
    // Six vertices per figure, two triangles over its four corners.
    const int CORNERS[6] = int[6](0, 1, 2, 2, 1, 3);
    int corner = CORNERS[gl_VertexID % 6];
    bool second = (corner & 1) != 0;
    bool lower = (corner & 2) != 0;
    vec2 at;
    vLocal = vec2(0.0);
    vSize = ivec2(0);
#if KIND == SEGMENT || KIND == ARROW_HEAD
    {
        vec2 from = Geometry.xy;
        vec2 to = Geometry.zw;
        vec2 d = to - from;
        float len = length(d);
        vec2 dir = len > 0.0 ? d / len : vec2(1.0, 0.0);
        vec2 across = vec2(-dir.y, dir.x) * (Params.y * 0.5);
        at = (second ? to : from) + (lower ? across : -across);
        vLocal = vec2(second ? 1.0 : 0.0, lower ? 1.0 : -1.0);
    }
#else
    at = vec2(second ? Geometry.z : Geometry.x, lower ? Geometry.w : Geometry.y);
    vLocal = at - Geometry.xy;
    vSize = ivec2(Geometry.zw - Geometry.xy);
#endif
    vOutput = at;
    gl_Position = vec4(2.0 * at.x / Res.x - 1.0, 1.0 - 2.0 * at.y / Res.y, 0.0, 1.0);
    vColour = Colour;
    vGround = Ground;
    vParams = ivec4(Params);
}
