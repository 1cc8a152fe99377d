# What Debian does not ship for MinGW, built here from Debian's own source
# tarballs (scripts/build-windows.sh fetches and verifies them):
#   VELTRIMA_GLEW_SOURCE_DIR  unpacked glew 2.2.0, built as a static library
#   VELTRIMA_PNG_SOURCE_DIR   unpacked libpng 1.6, for the golden-image test
#                             (only needed with tests)

set(VELTRIMA_GLEW_SOURCE_DIR "" CACHE PATH "Unpacked GLEW source tree")
if(NOT EXISTS "${VELTRIMA_GLEW_SOURCE_DIR}/src/glew.c")
  message(FATAL_ERROR "VELTRIMA_GLEW_SOURCE_DIR must name an unpacked GLEW source tree "
                      "(scripts/build-windows.sh fetches one)")
endif()

# GLEW_STATIC is public: without it GLEW's header declares its functions as
# DLL imports.
add_library(veltrima_glew STATIC "${VELTRIMA_GLEW_SOURCE_DIR}/src/glew.c")
target_include_directories(veltrima_glew SYSTEM PUBLIC "${VELTRIMA_GLEW_SOURCE_DIR}/include")
target_compile_definitions(veltrima_glew PUBLIC GLEW_STATIC PRIVATE GLEW_NO_GLU)
target_link_libraries(veltrima_glew PUBLIC OpenGL::GL)
add_library(GLEW::GLEW ALIAS veltrima_glew)

if(VELTRIMA_BUILD_TESTS)
  set(VELTRIMA_PNG_SOURCE_DIR "" CACHE PATH "Unpacked libpng source tree")
  if(NOT EXISTS "${VELTRIMA_PNG_SOURCE_DIR}/png.c")
    message(FATAL_ERROR "VELTRIMA_PNG_SOURCE_DIR must name an unpacked libpng source tree "
                        "(scripts/build-windows.sh fetches one)")
  endif()
  # zlib from Debian's libz-mingw-w64-dev, linked statically.
  find_library(VELTRIMA_ZLIB_STATIC NAMES libz.a REQUIRED)
  find_path(VELTRIMA_ZLIB_INCLUDE zlib.h REQUIRED)
  # libpng's default configuration, as its own build uses when nothing is
  # customised.
  configure_file("${VELTRIMA_PNG_SOURCE_DIR}/scripts/pnglibconf.h.prebuilt"
                 "${PROJECT_BINARY_DIR}/libpng/pnglibconf.h" COPYONLY)
  set(png_sources png pngerror pngget pngmem pngpread pngread pngrio pngrtran pngrutil
                  pngset pngtrans pngwio pngwrite pngwtran pngwutil)
  list(TRANSFORM png_sources PREPEND "${VELTRIMA_PNG_SOURCE_DIR}/")
  list(TRANSFORM png_sources APPEND ".c")
  add_library(veltrima_png STATIC ${png_sources})
  target_include_directories(veltrima_png SYSTEM PUBLIC "${VELTRIMA_PNG_SOURCE_DIR}"
                             "${PROJECT_BINARY_DIR}/libpng" "${VELTRIMA_ZLIB_INCLUDE}")
  target_link_libraries(veltrima_png PUBLIC "${VELTRIMA_ZLIB_STATIC}")
  add_library(PNG::PNG ALIAS veltrima_png)
endif()
