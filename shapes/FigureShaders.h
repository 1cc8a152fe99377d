// The figure shaders' texts, embedded from shapes/shaders/ at build time.
#pragma once

extern const char kFigureVertexShaderSource[];
extern const char kFigureFragmentShaderSource[];
