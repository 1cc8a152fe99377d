// The region code renderer's shader texts, embedded from shapes/shaders/ at build time.
#pragma once

extern const char kCodeVertexShaderSource[];
extern const char kCodeFragmentShaderSource[];
