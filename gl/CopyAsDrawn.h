// Whether a copy of a kept picture into the host's framebuffer lands on the
// same bytes that drawing the picture there would. A copy bypasses the
// fragment stages that a draw goes through, so it stands in for a draw only
// while none of them is on.
#pragma once

// True when blending, logic operations, the depth and stencil tests, face
// culling, rasteriser discard and sRGB encoding are off, every colour
// channel is written, and the framebuffer bound for drawing has one sample
// per pixel (a copy into a multisampled one is an error). Asks only what GL
// answers without an error.
bool CopyLandsAsDrawn();
