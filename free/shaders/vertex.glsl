#version 410 core

// Pass-through vertex stage for the full-screen quad: the corners arrive in
// clip space and go out unchanged. The fragment stage works from
// gl_FragCoord alone, so nothing is handed on.

layout(location = 0) in vec4 vPosition;
layout(location = 1) in vec2 vUV; // part of the quad's vertex layout; not needed here

void main()
{
    gl_Position = vPosition;
}
