#version 410 core
// The pixels of one figure (shapes/FigureList.h): every rule works on whole
// pixels (the interpolated position floored at the pixel's centre), so a
// figure covers exactly the pixels its integer rectangle and its rule pick.
// KIND, the kind this program draws, is defined by the renderer.

// The kinds, as macros so that the preprocessor can test KIND against them.
#define SOLID 0
#define HATCH 1
#define GLYPH 2
#define CORNER_TRIANGLE 3
#define SEGMENT 4
#define ARROW_HEAD 5
#define TEXT_RUN 6
#define BOX 7

const int GLYPH_COLUMNS = 5;
const int GLYPH_ROWS = 7;
const int GLYPH_COUNT = 65;
const int PIXELS_IN_FIRST_WORD = 30;
// A text run's glyph indices: RUN_GLYPH_BITS bits each, RUN_GLYPHS_PER_FLOAT
// to a float of its second colour, GLYPHS_PER_RUN in all (shapes/FigureList.h).
const int RUN_GLYPH_BITS = 7;
const int RUN_GLYPHS_PER_FLOAT = 3;
const int GLYPHS_PER_RUN = 12;

// The shared font, glyph c in words 2c and 2c+1 (glyphs/GlyphTable.h).
uniform int Glyphs[2 * GLYPH_COUNT];

flat in vec4 vColour;
flat in vec4 vGround;
flat in ivec4 vParams;
flat in ivec2 vSize;
in vec2 vLocal;
in vec2 vOutput;

out vec4 FragColour;

// ===== Arithmetic ============================================================

// n / d and n mod d for 0 <= n < 2^21 and d > 0, through float arithmetic:
// software renderers have no vector integer division, and a float quotient
// of n + 0.5 lies at least 0.5 / d from a whole number, farther than its
// rounding error for numerators below 2^21.
int quotient(int n, int d) { return int(floor((float(n) + 0.5) / float(d))); }
int remainder(int n, int d) { return n - d * quotient(n, d); }

// ===== Rules =================================================================

// '/' lines where (x + y) is a multiple of the period, '\' where (x - y) is:
// x + (period - 1) y has the same remainder and stays non-negative.
bool onHatchLine(ivec2 p, int period, int direction) {
    int s = direction == 0 ? p.x + p.y : p.x + (period - 1) * p.y;
    return remainder(s, period) == 0;
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
    int bit = quotient(u.y, scale) * GLYPH_COLUMNS + quotient(u.x, scale);
    int g = clamp(glyph, 0, GLYPH_COUNT - 1);
    int word = bit < PIXELS_IN_FIRST_WORD ? Glyphs[2 * g] : Glyphs[2 * g + 1];
    int shift = bit < PIXELS_IN_FIRST_WORD ? bit : bit - PIXELS_IN_FIRST_WORD;
    return ((word >> shift) & 1) != 0;
}

// Whether a run of `count` upright glyphs at `scale`, RUN_GLYPHS_PER_FLOAT
// to a word of `words` (RUN_GLYPH_BITS bits each), covers run pixel q.
bool runCovers(ivec4 words, int count, int scale, ivec2 q) {
    int advance = (GLYPH_COLUMNS + 1) * scale;
    if (q.x < 0) return false;
    int cell = quotient(q.x, advance);
    if (cell >= min(count, GLYPHS_PER_RUN)) return false;
    int word = quotient(cell, RUN_GLYPHS_PER_FLOAT);
    int shift = RUN_GLYPH_BITS * (cell - word * RUN_GLYPHS_PER_FLOAT);
    int glyph = (words[word] >> shift) & ((1 << RUN_GLYPH_BITS) - 1);
    return glyphCovers(glyph, 0, scale, ivec2(q.x - cell * advance, q.y));
}

// Pixel q counted from the chosen corner, u + v below the side.
bool cornerCovers(int corner, ivec2 size, ivec2 q) {
    int u = (corner == 1 || corner == 2) ? size.x - 1 - q.x : q.x;
    int v = (corner == 2 || corner == 3) ? size.y - 1 - q.y : q.y;
    return u + v < size.x;
}

// ===== Output ================================================================
// KIND is defined before this text is compiled (shapes/FigureRenderer.cpp):
// each kind has a program of its own, so a pixel runs only its own rule.

void main() {
    ivec2 q = ivec2(floor(vLocal));
#if KIND == HATCH
    FragColour = onHatchLine(ivec2(floor(vOutput)), max(vParams.y, 1), vParams.z) ? vColour : vGround;
    return;
#elif KIND == BOX
    int b = vParams.y;
    bool edge = q.x < b || q.y < b || q.x >= vSize.x - b || q.y >= vSize.y - b;
    FragColour = edge ? vColour : vGround;
    return;
#elif KIND == GLYPH
    if (!glyphCovers(vParams.y, vParams.z, max(vParams.w, 1), q)) discard;
#elif KIND == TEXT_RUN
    if (!runCovers(ivec4(vGround), vParams.z, max(vParams.y, 1), q)) discard;
#elif KIND == CORNER_TRIANGLE
    if (!cornerCovers(vParams.y, vSize, q)) discard;
#elif KIND == ARROW_HEAD
    if (abs(vLocal.y) > 1.0 - vLocal.x) discard;
#endif
    FragColour = vColour;
}
