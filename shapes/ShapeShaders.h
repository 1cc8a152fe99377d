// The shape layer's shader texts, embedded from shapes/shaders/ at build time.
#pragma once

extern const char kRectVertexShaderSource[];
extern const char kRectFragmentShaderSource[];
