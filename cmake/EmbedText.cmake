# Turns one text file (a shader) into a C++ string constant at build time, so
# the source stays a real file that editors and validators can read.
#
# Usage: cmake -DINPUT=file.glsl -DSYMBOL=kName -DHEADER=dir/Header.h
#              -DOUTPUT=out.cpp -P EmbedText.cmake
file(READ "${INPUT}" text)
# A raw string literal holds the text unchanged; the delimiter cannot occur
# in GLSL.
set(delimiter "GLSL_")
if(text MATCHES "\\)${delimiter}\"")
  message(FATAL_ERROR "${INPUT} holds the raw-string delimiter )${delimiter}\"")
endif()
file(WRITE "${OUTPUT}.tmp"
  "// Generated from ${INPUT} by cmake/EmbedText.cmake; edit that file instead.\n"
  "#include \"${HEADER}\"\n\n"
  "extern const char ${SYMBOL}[] = R\"${delimiter}(${text})${delimiter}\";\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
