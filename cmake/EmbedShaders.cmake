# Turns the shader files into C++ string constants at build time, so the
# shaders stay real .glsl files that editors and validators can read.
#
# The numbers both sides share are defined once in CONSTANTS (a C++ header of
# `constexpr int NAME = value;` lines). Each is written into the embedded
# text's `const int NAME = ...;` line, and the build stops when a shader file
# states another value or no shader declares the name, so that the .glsl
# files, valid on their own, always say what the C++ side uses.
#
# Usage: cmake -DVERTEX=... -DREGION_VERTEX=... -DFRAGMENT=... -DCONSTANTS=...
#              -DOUTPUT=... -P EmbedShaders.cmake
file(READ "${VERTEX}" vertex_text)
file(READ "${REGION_VERTEX}" region_vertex_text)
file(READ "${FRAGMENT}" fragment_text)
file(STRINGS "${CONSTANTS}" constant_lines REGEX "^constexpr int [A-Z0-9_]+ = -?[0-9]+;")

foreach(line IN LISTS constant_lines)
  string(REGEX REPLACE "^constexpr int ([A-Z0-9_]+) = (-?[0-9]+);.*" "\\1" name "${line}")
  string(REGEX REPLACE "^constexpr int ([A-Z0-9_]+) = (-?[0-9]+);.*" "\\2" value "${line}")
  set(declared FALSE)
  foreach(stage IN ITEMS vertex_text region_vertex_text fragment_text)
    string(REGEX MATCH "const int ${name} *= *-?[0-9]+;" found "${${stage}}")
    if(found STREQUAL "")
      continue()
    endif()
    set(declared TRUE)
    string(REGEX REPLACE ".*= *(-?[0-9]+);" "\\1" stated "${found}")
    if(NOT stated STREQUAL value)
      message(FATAL_ERROR "a shader declares ${name} = ${stated}, but ${CONSTANTS} says ${value}: "
                          "change both together")
    endif()
    string(REGEX REPLACE "const int ${name}( *)= *-?[0-9]+;" "const int ${name}\\1= ${value};"
           ${stage} "${${stage}}")
  endforeach()
  if(NOT declared)
    message(FATAL_ERROR "no shader declares the shared constant ${name} from ${CONSTANTS}")
  endif()
endforeach()

foreach(text IN ITEMS "${vertex_text}" "${region_vertex_text}" "${fragment_text}")
  string(FIND "${text}" ")glsl\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "a shader contains the raw-string delimiter )glsl\"")
  endif()
endforeach()
set(content "// Generated from free/shaders/*.glsl and free/shaders/ShaderConstants.h by
// cmake/EmbedShaders.cmake; do not edit.
#include \"free/shaders/ShaderSources.h\"

const char kVertexShaderSource[] = R\"glsl(${vertex_text})glsl\";
const char kRegionVertexShaderSource[] = R\"glsl(${region_vertex_text})glsl\";
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
