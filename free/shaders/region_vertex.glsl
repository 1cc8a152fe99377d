#version 410 core

// Vertex stage of every program the plug-in draws with: rectangles of the output,
// each as two triangles in the full-screen quad's corner order (top-left,
// top-right, bottom-left; bottom-left, top-right, bottom-right), so that a
// host's face culling treats them exactly as it treats the quad. Vertices
// 6k to 6k + 5 belong to rectangle k; no vertex buffer is read. Neighbouring
// rectangles share their edges' exact coordinates, so the rasteriser's fill
// rule gives each pixel to exactly one of them.

const int RECTS_PER_DRAW = 128;

uniform vec4 Rects[RECTS_PER_DRAW]; // clip space: left, top, right, bottom

void main()
{
    vec4 r = Rects[gl_VertexID / 6];
    int corner = gl_VertexID % 6;
    bool right  = corner == 1 || corner == 4 || corner == 5;
    bool bottom = corner == 2 || corner == 3 || corner == 5;
    gl_Position = vec4(right ? r.z : r.x, bottom ? r.w : r.y, 0.0, 1.0);
}
