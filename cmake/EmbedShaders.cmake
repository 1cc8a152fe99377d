# Turns the shader files into C++ string constants at build time, so the
# shaders stay real .glsl files that editors and validators can read.
# Usage: cmake -DVERTEX=... -DFRAGMENT=... -DOUTPUT=... -P EmbedShaders.cmake
file(READ "${VERTEX}" vertex_text)
file(READ "${FRAGMENT}" fragment_text)
foreach(text IN ITEMS "${vertex_text}" "${fragment_text}")
  string(FIND "${text}" ")glsl\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "a shader contains the raw-string delimiter )glsl\"")
  endif()
endforeach()
set(content "// Generated from shaders/*.glsl by cmake/EmbedShaders.cmake; do not edit.
#include \"shaders/ShaderSources.h\"

const char kVertexShaderSource[] = R\"glsl(${vertex_text})glsl\";
const char kFragmentShaderSource[] = R\"glsl(${fragment_text})glsl\";
")
# Rewrite only on change, so an unchanged shader does not rebuild the plug-in.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" previous)
  if(previous STREQUAL content)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${content}")
