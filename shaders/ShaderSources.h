// The pattern shader's texts, embedded at build time from the .glsl files
// beside this header (with the numbers of ShaderConstants.h written in).
#pragma once

// Vertex stage of the general program: the full-screen quad.
extern const char kVertexShaderSource[];
// Vertex stage of the specialised programs: rectangles from a uniform array.
extern const char kRegionVertexShaderSource[];
// The fragment stage, general as it stands; see ProgramVariant for the
// specialised builds made from it.
extern const char kFragmentShaderSource[];
