#version 410 core
// The pixels of one figure (shapes/FigureList.h): every rule works on whole
// pixels (the interpolated position floored at the pixel's centre), so a
// figure covers exactly the pixels its integer rectangle and its rule pick.

const int SOLID = 0;
const int HATCH = 1;
const int GLYPH = 2;
const int CORNER_TRIANGLE = 3;
const int SEGMENT = 4;
const int ARROW_HEAD = 5;

const int GLYPH_COLUMNS = 5;
const int GLYPH_ROWS = 7;
const int GLYPH_COUNT = 64;
const int PIXELS_IN_FIRST_WORD = 30;

// The shared font, glyph c in words 2c and 2c+1 (glyphs/GlyphTable.h).
uniform int Glyphs[2 * GLYPH_COUNT];

flat in vec4 vColour;
flat in vec4 vGround;
flat in ivec4 vParams;
flat in ivec2 vSize;
in vec2 vLocal;
in vec2 vOutput;

out vec4 FragColour;

// ===== Rules =================================================================

// '/' lines where (x + y) is a multiple of the period, '\' where (x - y) is:
// x + (period - 1) y has the same remainder and stays non-negative.
bool onHatchLine(ivec2 p, int period, int direction) {
    int s = direction == 0 ? p.x + p.y : p.x + (period - 1) * p.y;
    return s % period == 0;
}

// Whether the glyph covers box pixel q of a glyph box turned `turns` quarter
// turns clockwise at `scale`.
bool glyphCovers(int glyph, int turns, int scale, ivec2 q) {
    int w = GLYPH_COLUMNS * scale;
    int h = GLYPH_ROWS * scale;
    ivec2 u;  // the pixel in the upright box
    if (turns == 1) u = ivec2(q.y, h - 1 - q.x);
    else if (turns == 2) u = ivec2(w - 1 - q.x, h - 1 - q.y);
    else if (turns == 3) u = ivec2(w - 1 - q.y, q.x);
    else u = q;
    if (u.x < 0 || u.y < 0 || u.x >= w || u.y >= h) return false;
    int bit = (u.y / scale) * GLYPH_COLUMNS + u.x / scale;
    int g = clamp(glyph, 0, GLYPH_COUNT - 1);
    int word = bit < PIXELS_IN_FIRST_WORD ? Glyphs[2 * g] : Glyphs[2 * g + 1];
    int shift = bit < PIXELS_IN_FIRST_WORD ? bit : bit - PIXELS_IN_FIRST_WORD;
    return ((word >> shift) & 1) != 0;
}

// Pixel q counted from the chosen corner, u + v below the side.
bool cornerCovers(int corner, ivec2 size, ivec2 q) {
    int u = (corner == 1 || corner == 2) ? size.x - 1 - q.x : q.x;
    int v = (corner == 2 || corner == 3) ? size.y - 1 - q.y : q.y;
    return u + v < size.x;
}

// ===== Output ================================================================

void main() {
    int kind = vParams.x;
    ivec2 q = ivec2(floor(vLocal));
    if (kind == HATCH) {
        FragColour = onHatchLine(ivec2(floor(vOutput)), max(vParams.y, 1), vParams.z) ? vColour
                                                                                     : vGround;
        return;
    }
    if (kind == GLYPH && !glyphCovers(vParams.y, vParams.z, max(vParams.w, 1), q)) discard;
    if (kind == CORNER_TRIANGLE && !cornerCovers(vParams.y, vSize, q)) discard;
    if (kind == ARROW_HEAD && abs(vLocal.y) > 1.0 - vLocal.x) discard;
    FragColour = vColour;
}
