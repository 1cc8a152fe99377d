// The pattern shader's two texts, embedded at build time from vertex.glsl and
// fragment.glsl beside this header.
#pragma once

extern const char kVertexShaderSource[];
extern const char kFragmentShaderSource[];
