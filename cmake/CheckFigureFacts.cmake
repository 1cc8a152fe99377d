# Holds a figure shader to the C++ side's facts, so that the numbers typed in
# both cannot drift apart: every FigureKind of shapes/FigureList.h (numbered
# 0, 1, 2, ... in order) must be the shader's `#define NAME N` of the same
# name in capitals (TextRun -> TEXT_RUN), and the shader may define no other
# kind; each of the font's sizes in glyphs/GlyphTable.h and of a text run's
# packing in shapes/FigureList.h that the shader declares
# (`const int GLYPH_COLUMNS = 5;`, `const int GLYPHS_PER_RUN = 12;` ...) must
# state the same value.
# The build stops with a message naming the fact otherwise.
#
# Usage: cmake -DSHADER=file.glsl -DFIGURES=shapes/FigureList.h
#              -DGLYPHS=glyphs/GlyphTable.h -P CheckFigureFacts.cmake
cmake_minimum_required(VERSION 3.25)

# Stops the build when the shader states `fact` as another value than the
# C++ side knows. The message begins with the fact, so it reads (and is
# matched by the drift tests) whatever the paths' lengths.
function(require_same fact stated source known_as known)
  if(NOT stated STREQUAL known)
    message(FATAL_ERROR "${fact} = ${stated} in ${SHADER}, but ${source} says ${known_as} = "
                        "${known}: change both together")
  endif()
endfunction()

file(READ "${SHADER}" shader)
file(READ "${FIGURES}" figures)

string(REGEX MATCH "enum class FigureKind[^{]*{([^}]*)}" enum_text "${figures}")
if(enum_text STREQUAL "")
  message(FATAL_ERROR "${FIGURES} has no enum class FigureKind")
endif()
string(REGEX MATCHALL "[A-Za-z]+ = [0-9]+" kinds "${CMAKE_MATCH_1}")
set(expected 0)
set(names)
foreach(kind IN LISTS kinds)
  string(REGEX REPLACE "([A-Za-z]+) = ([0-9]+)" "\\1" name "${kind}")
  string(REGEX REPLACE "([A-Za-z]+) = ([0-9]+)" "\\2" value "${kind}")
  if(NOT value EQUAL expected)
    message(FATAL_ERROR "FigureKind::${name} is ${value} in ${FIGURES}; the kinds must count "
                        "0, 1, 2, ... (the next is ${expected})")
  endif()
  math(EXPR expected "${expected} + 1")
  # TextRun -> TEXT_RUN
  string(REGEX REPLACE "([a-z])([A-Z])" "\\1_\\2" macro "${name}")
  string(TOUPPER "${macro}" macro)
  list(APPEND names "${macro}")
  string(REGEX MATCH "\n#define ${macro} +([0-9]+)" found "${shader}")
  if(found STREQUAL "")
    message(FATAL_ERROR "${SHADER} does not define ${macro}, FigureKind::${name} of ${FIGURES}")
  endif()
  require_same(${macro} "${CMAKE_MATCH_1}" "${FIGURES}" "FigureKind::${name}" "${value}")
endforeach()
# A kind the shader defines and the enumeration lacks (KIND itself is the
# renderer's, prepended to the text).
string(REGEX MATCHALL "\n#define [A-Z_]+ +[0-9]+" defines "${shader}")
foreach(define IN LISTS defines)
  string(REGEX REPLACE "\n#define ([A-Z_]+) .*" "\\1" macro "${define}")
  if(NOT macro IN_LIST names)
    message(FATAL_ERROR "${macro}: a kind ${SHADER} defines and FigureKind of ${FIGURES} lacks")
  endif()
endforeach()

# The font's sizes (glyphs/GlyphTable.h) and a text run's packing of glyph
# indices into floats (shapes/FigureList.h): GLSL name, C++ name, its file.
file(READ "${GLYPHS}" glyphs)
foreach(fact IN ITEMS "GLYPH_COLUMNS|kGlyphColumns|GLYPHS" "GLYPH_ROWS|kGlyphRows|GLYPHS"
                      "GLYPH_COUNT|kGlyphTableSize|GLYPHS"
                      "RUN_GLYPH_BITS|kRunGlyphBits|FIGURES"
                      "RUN_GLYPHS_PER_FLOAT|kRunGlyphsPerFloat|FIGURES"
                      "GLYPHS_PER_RUN|kGlyphsPerRun|FIGURES")
  string(REPLACE "|" ";" fact "${fact}")
  list(GET fact 0 glsl_name)
  list(GET fact 1 cpp_name)
  list(GET fact 2 source)
  string(TOLOWER "${source}" text)
  string(REGEX MATCH "const int ${glsl_name} *= *(-?[0-9]+);" found "${shader}")
  if(found STREQUAL "")
    continue()
  endif()
  set(stated "${CMAKE_MATCH_1}")
  string(REGEX MATCH "constexpr [a-z:0-9_]+ ${cpp_name} = ([0-9]+);" known "${${text}}")
  if(known STREQUAL "")
    message(FATAL_ERROR "${${source}} has no ${cpp_name}, which ${SHADER} states as ${glsl_name}")
  endif()
  require_same(${glsl_name} "${stated}" "${${source}}" "${cpp_name}" "${CMAKE_MATCH_1}")
endforeach()
