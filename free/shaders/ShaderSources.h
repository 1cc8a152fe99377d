// The pattern shader's texts, embedded at build time from the .glsl files
// beside this header (with the numbers of ShaderConstants.h written in).
#pragma once

// Vertex stage for a full-screen quad from a vertex buffer (tools and tests;
// the plug-in draws through the rectangle stage below).
extern const char kVertexShaderSource[];
// Vertex stage of every program the plug-in draws with: rectangles from a
// uniform array.
extern const char kRegionVertexShaderSource[];
// The fragment stage, general as it stands; see ProgramVariant for the
// specialised builds made from it.
extern const char kFragmentShaderSource[];
