#version 410 core
// The rectangle's own colour, unchanged: flat, so no interpolation can round
// it.

flat in vec4 vColour;
out vec4 FragColour;

void main() { FragColour = vColour; }
