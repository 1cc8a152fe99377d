#version 410 core

// LED-wall test patterns, one output pixel per invocation.
//
// Draws one of seven charts (panel grid, full raster, colour bars, gradients,
// solid colour, line sweep, pixel checker), then up to three overlays (moving
// bar and ball, centre info box, credit tag), then applies the brightness
// gain and picks the alpha. All text is drawn here from a packed 5x7 font.
//
// Pixel space: origin at the top-left of the output, x to the right, y down.
// Integer arithmetic is deliberate throughout: division truncates toward
// zero and is written in the order it is evaluated, because the technicians
// reading these charts check them pixel by pixel.

// ===== BUILD SWITCHES ========================================================
// Read alone, this file is the general program: every pattern and overlay is
// in it and the uniforms choose among them each frame. The plug-in also
// builds specialised programs from it by inserting #define lines after
// #version: FIX_* pins a per-frame switch to the value its uniform holds
// that frame, and DRAW_* false leaves out a feature that covers none of the
// pixels the program is drawn on. A software rasteriser runs both sides of
// every branch, even on a uniform, so only code left out of a program is
// free; what a pixel computes is the same either way.

#ifdef FIX_PATTERN
#define PATTERN_NOW     FIX_PATTERN
#define LABEL_MODE_NOW  FIX_LABEL_MODE
#define SHOW_RES_NOW    FIX_SHOW_RES
#define MOVING_NOW      FIX_MOVING
#define TRANSPARENT_NOW FIX_TRANSPARENT
#define CREDIT_NOW      FIX_CREDIT
#else
#define PATTERN_NOW     Pattern
#define LABEL_MODE_NOW  LabelMode
#define SHOW_RES_NOW    ShowRes
#define MOVING_NOW      Moving
#define TRANSPARENT_NOW Transparent
#define CREDIT_NOW      Credit
#endif

#ifndef DRAW_LABEL
#define DRAW_LABEL  true // panel labels
#define DRAW_COORDS true // panel coordinate tags, raster corner coordinates
#define DRAW_MOVING true // moving bar and ball
#define DRAW_INFO   true // centre info box
#define DRAW_CREDIT true // credit tag
#endif

// ===== CONSTANTS AND UNIFORMS ================================================
// The plain numbers below are shared with the C++ side: the build copies them
// from free/shaders/ShaderConstants.h and refuses a file that states others.

const int MAXS  = 20; // glyph capacity of a Str, and length of L1 / L2
const int SPACE = 39; // blank glyph, fills unused Str slots
const int COMMA = 41; // separates the two numbers of a coordinate text

const int FONT_GLYPHS = 42; // glyph indices 0..41 exist in Font
const int CREDIT_LEN  = 14; // CR always holds exactly this many glyphs
const int CREDIT_W    = CREDIT_LEN * 6 - 1; // sW of the credit text

// Values of Pattern; any other draws the checker.
const int PATTERN_GRID      = 0;
const int PATTERN_RASTER    = 1;
const int PATTERN_BARS      = 2;
const int PATTERN_GRADIENTS = 3;
const int PATTERN_SOLID     = 4;
const int PATTERN_SWEEP     = 5;
const int PATTERN_CHECKER   = 6;
const int POW10[9] = int[9](1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000);

uniform int   Font[2 * FONT_GLYPHS]; // glyph c: bits 0..29 in [2c], bits 30..34 in [2c+1]
uniform ivec2 Res;         // output width, height
uniform ivec2 Org;         // window position of the viewport's lower-left pixel
uniform int   Pattern;     // 0 grid, 1 raster, 2 bars, 3 gradients, 4 solid, 5 sweep, else checker
uniform int   PW;          // panel width in pixels
uniform int   PH;          // panel height in pixels
uniform int   OX;          // grid offset from the left edge
uniform int   OY;          // grid offset from the top edge
uniform int   LabelMode;   // 0: column letters + row number, else running index
uniform int   ShowRes;     // 1: raster corner coordinates and the centre info box
uniform int   LW;          // line width; also sweep thickness and checker cell size
uniform int   Moving;      // 1: moving bar and ball
uniform int   SolidIdx;    // solid colour 0..4 (clamped here)
uniform int   Transparent; // 1: alpha = painted coverage, unfilled panels
uniform float NumSize;     // text size control, 0..1
uniform float Bright;      // output gain, 0..1
uniform ivec2 Sweep;       // left column / top row of the sweep lines
uniform ivec2 SweepPass;   // colour number of the vertical / horizontal sweep line
uniform vec2  Ball;        // ball centre, same space as pc
uniform float BallR;       // ball radius
uniform int   BarX;        // first column of the moving bar
uniform int   BarW;        // width of the moving bar
uniform int   L1[MAXS];    // info box line 1 glyphs
uniform int   L2[MAXS];    // info box line 2 glyphs
uniform int   L1n;         // valid glyphs in L1
uniform int   L2n;         // valid glyphs in L2
uniform int   Credit;      // 1: credit tag
uniform int   CR[CREDIT_LEN]; // credit glyphs, all drawn

#ifdef BALL_OVER_BACKGROUND
uniform sampler2D Background; // the pixels under the ball: colour, coverage
uniform ivec2 BgOrg;          // q of Background's texel 0, 0
#endif

layout(location = 0) out vec4 fragColor;

// ===== COLOURS ===============================================================

const vec3 BLACK = vec3(0.0, 0.0, 0.0);
const vec3 WHITE = vec3(1.0, 1.0, 1.0);

// Panel grid
const vec3 GRID_ACC_ODD   = vec3(0.1, 0.8, 1.0);
const vec3 GRID_ACC_EVEN  = vec3(1.0, 0.78, 0.1);
const vec3 GRID_FILL_ODD  = vec3(0.06, 0.07, 0.10);
const vec3 GRID_FILL_EVEN = vec3(0.16, 0.15, 0.19);

// Full raster
const vec3 RASTER_HALF    = vec3(0.14, 0.14, 0.14);
const vec3 RASTER_PANEL   = vec3(0.5, 0.5, 0.5);
const vec3 RASTER_DIAG    = vec3(0.35, 0.35, 0.35);
const vec3 RASTER_CIRCLE  = vec3(0.25, 1.0, 0.4);
const vec3 RASTER_CROSS   = vec3(1.0, 0.2, 0.15);
const vec3 RASTER_BRACKET = vec3(1.0, 0.85, 0.1); // also the corner text

// Colour bars, 75 %
const vec3 BAR_TOP[7] = vec3[7](
    vec3(0.75, 0.75, 0.75), vec3(0.75, 0.75, 0.0), vec3(0.0, 0.75, 0.75),
    vec3(0.0, 0.75, 0.0),   vec3(0.75, 0.0, 0.75), vec3(0.75, 0.0, 0.0),
    vec3(0.0, 0.0, 0.75));
const vec3 BAR_MID[7] = vec3[7](
    vec3(0.0, 0.0, 0.75),   vec3(0.0, 0.0, 0.0),   vec3(0.75, 0.0, 0.75),
    vec3(0.0, 0.0, 0.0),    vec3(0.0, 0.75, 0.75), vec3(0.0, 0.0, 0.0),
    vec3(0.75, 0.75, 0.75));
const vec3 BAR_MINUS_I = vec3(0.0, 0.13, 0.30);
const vec3 BAR_PLUS_Q  = vec3(0.20, 0.0, 0.42);
const vec3 BAR_PLUGE2  = vec3(0.02, 0.02, 0.02);
const vec3 BAR_PLUGE4  = vec3(0.04, 0.04, 0.04);

// Gradient bands, top to bottom
const vec3 RAMP_BAND[4] = vec3[4](
    vec3(1.0, 0.0, 0.0), vec3(0.0, 1.0, 0.0), vec3(0.0, 0.0, 1.0), vec3(1.0, 1.0, 1.0));

// Solid colour and line sweep tables
const vec3 SOLID_TABLE[5] = vec3[5](
    vec3(1.0, 0.0, 0.0), vec3(0.0, 1.0, 0.0), vec3(0.0, 0.0, 1.0),
    vec3(1.0, 1.0, 1.0), vec3(0.0, 0.0, 0.0));
const vec3 SWEEP_TABLE[4] = vec3[4](
    vec3(1.0, 1.0, 1.0), vec3(1.0, 0.0, 0.0), vec3(0.0, 1.0, 0.0), vec3(0.0, 0.0, 1.0));

// Overlays
const vec3 BALL_FILL   = vec3(1.0, 0.15, 0.55);
const vec3 INFO_FRAME  = vec3(0.6, 0.6, 0.6);
const vec3 INFO_LINE2  = vec3(1.0, 0.85, 0.1);
const vec3 CREDIT_TEXT = vec3(0.75, 0.75, 0.75);

// ===== WORKING VALUES ========================================================
// Set once at the start of main, then read (and col / ink painted) by every
// pattern and overlay below.

int   W;    // output width
int   H;    // output height
ivec2 q;    // pixel inside the viewport, from the bottom-left
ivec2 p;    // output pixel, from the top-left, y down
vec2  pc;   // centre of p
vec3  col;  // working colour
float ink;  // working coverage; the alpha in transparent mode
float lwf;  // LW as a float

void setUp()
{
    W   = Res.x;
    H   = Res.y;
    q   = ivec2(int(floor(gl_FragCoord.x)), int(floor(gl_FragCoord.y))) - Org;
    p   = ivec2(q.x, H - 1 - q.y); // framebuffer rows count from the bottom
    pc  = vec2(p) + 0.5;
    col = BLACK;
    ink = 0.0;
    lwf = float(LW);
}

// Replace whatever this pixel holds so far.
void paintOpaque(vec3 c)
{
    col = c;
    ink = 1.0;
}

// Mix c in with coverage v (0 < v <= 1); coverage only ever grows.
void blend(vec3 c, float v)
{
    col = mix(col, c, v);
    ink = max(ink, v);
}

// ===== ARITHMETIC HELPERS ====================================================

// Floored quotient a / b (b >= 1) for |a| < 2^21, every pixel position here
// times the small factors below; the remainder of the same range, 0..b-1.
// Used wherever the divisor is not a constant: there is no vector integer
// division, so a software rasteriser (and many GPUs) divides ints lane by
// lane, far slower than the float division used here. Exact all the same:
// a and b convert to float exactly, and the float quotient is within 2.5 ULP
// of a / b, so less than 1 away from it; its floor is the true quotient or
// one off, which the integer remainder then corrects.
int pdiv(int a, int b)
{
    int q = int(floor(float(a) / float(b)));
    int r = a - q * b;
    return q + ((r < 0) ? -1 : ((r >= b) ? 1 : 0));
}

int pmod(int a, int b)
{
    return a - pdiv(a, b) * b;
}

// Floored remainder, 0..m-1 for every a (m >= 1), for values without a
// bound (pass counters). GLSL leaves % undefined for negative operands, so a
// negative a is folded onto -(a + 1) >= 0 first; that also avoids negating
// the most negative int.
int imod(int a, int m)
{
    if (a >= 0)
        return a % m;
    return (m - 1) - (-(a + 1)) % m;
}

// Integer division truncating toward zero (b >= 1, |a| < 2^21), for
// numerators that may be negative: GLSL does not pin down how / rounds those.
int tdiv(int a, int b)
{
    int q = pdiv(abs(a), b);
    return (a < 0) ? -q : q;
}

// Anti-aliased circle outline of radius r and width lw at pixel centre at:
// 1 within lw/2 - 0.5 of the circle, falling to 0 over the next pixel.
float ring(vec2 at, vec2 c, float r, float lw)
{
    return clamp(lw * 0.5 + 0.5 - abs(length(at - c) - r), 0.0, 1.0);
}

// ===== TEXT PRIMITIVES =======================================================
// A Str is a fixed-capacity run of glyph indices. Glyphs are 5x7, advance 6
// pixels at scale 1 (one blank column between glyphs, none after the last).
//
// Slots are written and read through selects over all MAXS slots rather than
// by indexing with a per-pixel value, and numbers are taken apart with
// constant divisors. The result is the same; the cost is not: a software
// rasteriser runs every branch of this shader for every pixel, and there a
// per-pixel index becomes a scatter or gather through memory and a variable
// divisor a scalar division per lane, while selects and constant divisions
// stay in vector registers.

struct Str {
    int c[MAXS]; // glyph indices in reading order
    int n;       // glyphs in use
};

// 1 where glyph c has ink at column gx (0..4), row gy (0..6), else 0.
int glyphBit(int c, int gx, int gy)
{
    // Indices outside the font have no bitmap: draw them blank rather than
    // read past the end of Font.
    if (c < 0 || c >= FONT_GLYPHS)
        return 0;
    int b = gy * 5 + gx;
    int word = (b < 30) ? Font[2 * c] : Font[2 * c + 1];
    int bit  = (b < 30) ? b : b - 30;
    return (word >> bit) & 1;
}

Str sNew()
{
    Str s;
    for (int i = 0; i < MAXS; ++i)
        s.c[i] = SPACE;
    s.n = 0;
    return s;
}

// Append one glyph; a full Str stays unchanged.
void sCh(inout Str s, int g)
{
    for (int i = 0; i < MAXS; ++i)
        s.c[i] = (i == s.n) ? g : s.c[i];
    s.n = min(s.n + 1, MAXS);
}

int sAt(Str s, int ci)
{
    int g = SPACE;
    for (int i = 0; i < MAXS; ++i)
        g = (i == ci) ? s.c[i] : g;
    return g;
}

// Append v in decimal: no sign (negatives draw as 0), no leading zeros, at
// most nine digits (the last nine of a longer number).
void sNum(inout Str s, int v)
{
    v = max(v, 0);
    // The leading digit's place value stops at 100000000: at most nine digits.
    int nd = 1;
    for (int k = 0; k < 8; ++k)
        nd += (v >= POW10[k + 1]) ? 1 : 0;
    // Digits from the least significant up, each written straight into its
    // slot; slots at or beyond the capacity are dropped, as sCh drops them.
    int last = s.n + nd - 1;
    for (int j = 0; j < 9; ++j) {
        int digit = v % 10;
        v /= 10;
        int slot = (j < nd) ? last - j : -1;
        for (int i = 0; i < MAXS; ++i)
            s.c[i] = (i == slot) ? digit : s.c[i];
    }
    s.n = min(s.n + nd, MAXS);
}

// A new Str holding the first n glyphs of g (none for n <= 0, at most MAXS):
// what appending them one by one gives, written slot by slot.
Str sFrom(int g[MAXS], int n)
{
    Str s;
    s.n = clamp(n, 0, MAXS);
    for (int i = 0; i < MAXS; ++i)
        s.c[i] = (i < s.n) ? g[i] : SPACE;
    return s;
}

// Append spreadsheet-style column letters for zero-based column k:
// A..Z, then AA..ZZ; from 702 the first letter wraps back to A.
void sCol(inout Str s, int k)
{
    if (k >= 26)
        sCh(s, 10 + imod(k / 26 - 1, 26));
    sCh(s, 10 + imod(k, 26));
}

// Width in pixels at scale 1.
int sW(Str s)
{
    return max(s.n * 6 - 1, 0);
}

// Classify pixel pix against text s drawn with its top-left corner at o, each
// glyph pixel an sc x sc block, on a plate pad pixels wider on every side:
// 0 outside, 1 on the plate (or a glyph's unlit pixel), 2 on glyph ink.
int sPix(ivec2 pix, ivec2 o, int sc, Str s, int pad)
{
    ivec2 d = pix - o;
    int tw = sW(s) * sc;
    int th = 7 * sc;
    if (d.x < -pad || d.y < -pad || d.x >= tw + pad || d.y >= th + pad)
        return 0;
    if (d.x < 0 || d.y < 0 || d.x >= tw || d.y >= th)
        return 1;
    int cw = 6 * sc;
    int ci = pdiv(d.x, cw);
    int gx = pdiv(d.x - ci * cw, sc);
    if (gx >= 5)
        return 1; // blank column between glyphs
    return (glyphBit(sAt(s, ci), gx, pdiv(d.y, sc)) == 1) ? 2 : 1;
}

// Text without plate: paint c opaque where pix lies on ink.
void paintText(ivec2 pix, ivec2 o, int sc, Str s, vec3 c)
{
    if (sPix(pix, o, sc, s, 0) == 2)
        paintOpaque(c);
}

// Text on a plate pad pixels wide: ink in c, the rest of the plate in plate.
void paintPlatedText(ivec2 o, int sc, Str s, int pad, vec3 c, vec3 plate)
{
    int k = sPix(p, o, sc, s, pad);
    if (k == 2)
        paintOpaque(c);
    else if (k == 1)
        paintOpaque(plate);
}

// ===== PATTERN 0: PANEL GRID =================================================
// One rectangle per LED panel from the offset point: checker shade, circle,
// border, centred label, and the panel's top-left output position.

void panelGrid()
{
    ivec2 r = p - ivec2(OX, OY);
    if (r.x < 0 || r.y < 0)
        return; // strip left of / above the grid stays unpainted

    ivec2 cell  = ivec2(pdiv(r.x, PW), pdiv(r.y, PH));
    ivec2 l     = r - cell * ivec2(PW, PH);
    int   nCols = max(1, tdiv(W - OX + PW - 1, PW));
    bool  odd   = ((cell.x + cell.y) & 1) == 1;
    vec3  acc   = odd ? GRID_ACC_ODD : GRID_ACC_EVEN;
    int   avail = PW - 2 * LW - 4; // text room inside the border

    // Fill: colour only, coverage stays 0.
    if (TRANSPARENT_NOW == 1)
        col = BLACK;
    else
        col = odd ? GRID_FILL_ODD : GRID_FILL_EVEN;

    // Circle
    float rr = float(min(PW, PH)) * 0.5 - lwf - 2.0;
    float cv = ring(vec2(l) + 0.5, vec2(PW, PH) * 0.5, rr, lwf);
    if (cv > 0.0)
        blend(acc * 0.75, cv);

    // Border, LW wide on every side of every panel
    if (l.x < LW || l.y < LW || l.x >= PW - LW || l.y >= PH - LW)
        paintOpaque(acc);

    // Label
    if (DRAW_LABEL) {
        Str s = sNew();
        if (LABEL_MODE_NOW == 0) {
            sCol(s, cell.x);
            sNum(s, cell.y + 1);
        } else {
            sNum(s, cell.y * nCols + cell.x + 1);
        }
        // a: label height as a share of the panel; b: largest scale that fits.
        precise float aSize = float(min(PW, PH)) * (0.12 + 0.6 * NumSize) / 7.0;
        int a  = int(aSize);
        int b  = tdiv(avail, max(sW(s), 1));
        int sc = max(1, min(a, b));
        ivec2 o = ivec2(tdiv(PW - sW(s) * sc, 2), tdiv(PH - 7 * sc, 2));
        paintText(l, o, sc, s, WHITE);
    }

    // Coordinate tag, scale 1, two pixels inside the border
    if (DRAW_COORDS && PH >= 28) {
        Str t = sNew();
        sNum(t, OX + cell.x * PW);
        sCh(t, COMMA);
        sNum(t, OY + cell.y * PH);
        if (sW(t) <= avail)
            paintText(l, ivec2(LW + 2, LW + 2), 1, t, acc);
    }
}

// ===== PATTERN 1: FULL RASTER ================================================
// Geometry chart over the whole output: half-panel and panel lines,
// diagonals, circles, centre cross, frame, corner brackets, corner positions.

void fullRaster()
{
    ivec2 r  = p - ivec2(OX, OY);
    ivec2 hs = ivec2(max(PW / 2, 1), max(PH / 2, 1));

    // Half-panel lines, always one pixel
    if (pmod(r.x, hs.x) == 0 || pmod(r.y, hs.y) == 0)
        paintOpaque(RASTER_HALF);

    // Panel lines, LW wide to the right / downward of each boundary
    if (pmod(r.x, PW) < LW || pmod(r.y, PH) < LW)
        paintOpaque(RASTER_PANEL);

    // Diagonals corner to corner, hard edged
    float fW = float(W);
    float fH = float(H);
    float L  = length(vec2(fW, fH));
    float d1 = abs(pc.x * fH - pc.y * fW) / L;
    float d2 = abs((fW - pc.x) * fH - pc.y * fW) / L;
    if (min(d1, d2) <= lwf * 0.5)
        paintOpaque(RASTER_DIAG);

    // Circles: one large in the centre, one in each corner
    float m  = float(min(W, H));
    float rc = m / 8.0;
    float e  = rc + lwf + 2.0;
    float cv = ring(pc, vec2(W, H) * 0.5, m * 0.5 - lwf * 0.5 - 1.0, lwf);
    cv = max(cv, ring(pc, vec2(e, e), rc, lwf));
    cv = max(cv, ring(pc, vec2(fW - e, e), rc, lwf));
    cv = max(cv, ring(pc, vec2(e, fH - e), rc, lwf));
    cv = max(cv, ring(pc, vec2(fW - e, fH - e), rc, lwf));
    if (cv > 0.0)
        blend(RASTER_CIRCLE, cv);

    // Centre cross: pixel centre within LW/2 of a centre line
    if (abs(2 * p.x + 1 - W) <= LW || abs(2 * p.y + 1 - H) <= LW)
        paintOpaque(RASTER_CROSS);

    // Outer frame
    if (p.x < LW || p.y < LW || p.x >= W - LW || p.y >= H - LW)
        paintOpaque(WHITE);

    // Corner brackets, L-shaped, over the frame
    int bl = min(W, H) / 10;
    int bt = max(3 * LW, 4);
    ivec2 cd = ivec2(min(p.x, W - 1 - p.x), min(p.y, H - 1 - p.y));
    if (cd.x < bl && cd.y < bl && (cd.x < bt || cd.y < bt))
        paintOpaque(RASTER_BRACKET);

    // Corner coordinates on black plates: TL, TR, BL, BR (later wins)
    if (DRAW_COORDS && SHOW_RES_NOW == 1) {
        precise float size = float(min(H, (W * 9) / 16)) * (0.012 + 0.03 * NumSize) / 7.0;
        int sc  = max(1, int(size));
        int in0 = bt + 4 + sc;
        for (int k = 0; k < 4; ++k) {
            bool right  = (k & 1) == 1;
            bool bottom = k >= 2;
            Str t = sNew();
            sNum(t, right ? W - 1 : 0);
            sCh(t, COMMA);
            sNum(t, bottom ? H - 1 : 0);
            ivec2 o = ivec2(right ? W - in0 - sW(t) * sc : in0,
                            bottom ? H - in0 - 7 * sc : in0);
            paintPlatedText(o, sc, t, sc, RASTER_BRACKET, BLACK);
        }
    }
}

// ===== PATTERN 2: COLOUR BARS ================================================
// 75 % bars in seven equal columns; middle row of reversed blues; bottom row
// of -I, white, +Q, black and a pluge at 0 / 2 / 4 %.

void colourBars()
{
    ink = 1.0;
    int bar = min(6, pdiv(p.x * 7, W));
    if (p.y < (H * 2) / 3) {
        col = BAR_TOP[bar];
    } else if (p.y < (H * 3) / 4) {
        col = BAR_MID[bar];
    } else {
        int x4  = pdiv(p.x * 28, W); // quarter-bars
        int x21 = pdiv(p.x * 21, W); // third-bars
        if (x4 < 5)
            col = BAR_MINUS_I;
        else if (x4 < 10)
            col = WHITE;
        else if (x4 < 15)
            col = BAR_PLUS_Q;
        else if (x4 < 20)
            col = BLACK;
        else if (x21 == 15)
            col = BLACK;
        else if (x21 == 16)
            col = BAR_PLUGE2;
        else if (x21 == 17)
            col = BAR_PLUGE4;
        else
            col = BLACK;
    }
}

// ===== PATTERN 3: GRADIENTS ==================================================
// Red, green, blue, white bands; each a smooth ramp over its upper two
// thirds, a one-row black separator, then 32 flat steps.

void gradients()
{
    ink = 1.0;
    int band = min(3, pdiv(p.y * 4, H));
    int y0 = (band * H) / 4;
    int y1 = ((band + 1) * H) / 4;
    int ys = y0 + ((y1 - y0) * 2) / 3;

    float v = float(p.x) / float(max(W - 1, 1));
    if (p.y >= ys)
        v = float(min(31, pdiv(p.x * 32, W))) / 31.0;
    col = RAMP_BAND[band] * v;
    if (p.y == ys)
        col = BLACK;
}

// ===== PATTERN 4: SOLID COLOUR ===============================================

void solidColour()
{
    ink = 1.0;
    col = SOLID_TABLE[clamp(SolidIdx, 0, 4)];
}

// ===== PATTERN 5: LINE SWEEP =================================================
// A vertical and a horizontal line, LW thick, cut at the output's edges;
// where they cross the colours combine by maximum.

void lineSweep()
{
    if (Sweep.x <= p.x && p.x < Sweep.x + LW)
        paintOpaque(SWEEP_TABLE[imod(SweepPass.x, 4)]);
    if (Sweep.y <= p.y && p.y < Sweep.y + LW) {
        col = max(col, SWEEP_TABLE[imod(SweepPass.y, 4)]);
        ink = 1.0;
    }
}

// ===== PATTERN 6: PIXEL CHECKER ==============================================
// Black and white cells LW pixels square from the top-left (a black cell).

void pixelChecker()
{
    ink = 1.0;
    col = vec3(float((pdiv(p.x, LW) + pdiv(p.y, LW)) & 1));
}

// ===== OVERLAYS ==============================================================

// Moving bar over the full height, then a ball with a ring and crosshair.
void movingElement()
{
    if (BarX <= p.x && p.x < BarX + BarW)
        paintOpaque(WHITE);

    float d = length(pc - Ball);

    float fillc = clamp(BallR - d + 0.5, 0.0, 1.0);
    if (fillc > 0.0)
        blend(BALL_FILL, fillc);

    float rc = ring(pc, Ball, BallR, max(lwf, 2.0));
    if (rc > 0.0)
        blend(WHITE, rc);

    // Colour only: inside the radius the disc or ring already covers fully.
    if (d < BallR && (abs(pc.x - Ball.x) <= 0.5 * lwf || abs(pc.y - Ball.y) <= 0.5 * lwf))
        col = WHITE;
}

// Output size and pattern description, two centred lines on a framed black
// plate in the middle of the output.
void infoBox()
{
    Str a = sFrom(L1, L1n);
    Str b = sFrom(L2, L2n);

    // Scale follows the largest 16:9 area that fits the output.
    precise float size = float(min(W, (H * 16) / 9)) * 9.0 / 16.0 * (0.02 + 0.06 * NumSize) / 7.0;
    int sc1 = max(1, int(size));
    int sc2 = max(1, sc1 / 2);
    int pad = max(3, sc1);
    int gap = 2 * sc2;

    int tw1 = sW(a) * sc1;
    int tw2 = (L2n > 0) ? sW(b) * sc2 : 0;
    int th  = 7 * sc1;
    if (L2n > 0)
        th += gap + 7 * sc2;

    int bw = max(tw1, tw2) + 2 * pad;
    int bh = th + 2 * pad;
    ivec2 bo = ivec2(tdiv(W - bw, 2), tdiv(H - bh, 2));

    ivec2 d = p - bo;
    if (d.x < 0 || d.y < 0 || d.x >= bw || d.y >= bh)
        return;

    ink = 1.0;
    bool edge = d.x == 0 || d.y == 0 || d.x == bw - 1 || d.y == bh - 1;
    col = edge ? INFO_FRAME : BLACK;

    if (sPix(p, bo + ivec2((bw - tw1) / 2, pad), sc1, a, 0) == 2)
        col = WHITE;
    if (L2n > 0) {
        if (sPix(p, bo + ivec2((bw - tw2) / 2, pad + 7 * sc1 + gap), sc2, b, 0) == 2)
            col = INFO_LINE2;
    }
}

// Fixed 14-glyph tag at the bottom right on a black plate.
void creditTag()
{
    Str c = sNew();
    for (int i = 0; i < CREDIT_LEN; ++i)
        c.c[i] = CR[i];
    c.n = CREDIT_LEN;

    int sc  = max(1, min(W, (H * 16) / 9) / 640);
    int pad = max(2, 2 * sc);
    ivec2 o = ivec2(W - 2 * pad - CREDIT_W * sc, H - 2 * pad - 7 * sc);
    paintPlatedText(o, sc, c, pad, CREDIT_TEXT, BLACK);
}

// ===== OUTPUT ================================================================

void main()
{
    setUp();

#ifdef BALL_OVER_BACKGROUND
    // The pattern and still text under the ball, as a background build of
    // this shader left them; the ball then blends over them exactly as here.
    vec4 under = texelFetch(Background, q - BgOrg, 0);
    col = under.rgb;
    ink = under.a;
#else
    if (PATTERN_NOW == PATTERN_GRID)
        panelGrid();
    else if (PATTERN_NOW == PATTERN_RASTER)
        fullRaster();
    else if (PATTERN_NOW == PATTERN_BARS)
        colourBars();
    else if (PATTERN_NOW == PATTERN_GRADIENTS)
        gradients();
    else if (PATTERN_NOW == PATTERN_SOLID)
        solidColour();
    else if (PATTERN_NOW == PATTERN_SWEEP)
        lineSweep();
    else
        pixelChecker();
#endif

    if (DRAW_MOVING && MOVING_NOW == 1)
        movingElement();
    if (DRAW_INFO && SHOW_RES_NOW == 1 && L1n > 0)
        infoBox();
    if (DRAW_CREDIT && CREDIT_NOW == 1)
        creditTag();

#ifdef BACKGROUND_ONLY
    // What the ball blends over, before the gain: read back by the build
    // above, BALL_OVER_BACKGROUND.
    fragColor = vec4(col, ink);
#else
    // Gain applies to every layer alike and leaves alpha alone; in
    // transparent mode the colour is already premultiplied by ink.
    col = clamp(col * Bright, 0.0, 1.0);
    float alpha = (TRANSPARENT_NOW == 1) ? ink : 1.0;
    fragColor = vec4(col, alpha);
#endif
}
