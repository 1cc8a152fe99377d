# What Debian does not ship for MinGW, built here from Debian's own source
# tarballs (scripts/build-windows.sh fetches and verifies them):
#   VELTRIMA_GLEW_SOURCE_DIR  unpacked glew 2.2.0, built as a static library
#   VELTRIMA_PNG_SOURCE_DIR   unpacked libpng 1.6, for the golden-image test
#                             (only needed with tests)
#   VELTRIMA_QRCODEGEN_SOURCE_DIR  unpacked qr-code-generator 1.8.0, the SYNC
#                             plug-in's QR encoder, built as a static library
#   VELTRIMA_PUGIXML_SOURCE_DIR    unpacked pugixml 1.13, the MAP plug-in's XML
#                             layout reader, built as a static library
# All of them are linked into the DLLs statically: a host loads a plug-in
# DLL alone, so nothing here may become an import.

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

# Fails the configuration unless `dir` holds `file`, naming the variable.
function(veltrima_require_source variable file what)
  if(NOT EXISTS "${${variable}}/${file}")
    message(FATAL_ERROR "${variable} must name an unpacked ${what} source tree "
                        "(scripts/build-windows.sh fetches one)")
  endif()
endfunction()

# qr-code-generator's C++ part is one source and one header. The plug-in
# includes <qrcodegen/qrcodegen.hpp>, the path Debian's libqrcodegencpp-dev
# installs on Linux, so the header is staged under that name.
set(VELTRIMA_QRCODEGEN_SOURCE_DIR "" CACHE PATH "Unpacked qr-code-generator source tree")
veltrima_require_source(VELTRIMA_QRCODEGEN_SOURCE_DIR cpp/qrcodegen.cpp qr-code-generator)
configure_file("${VELTRIMA_QRCODEGEN_SOURCE_DIR}/cpp/qrcodegen.hpp"
               "${PROJECT_BINARY_DIR}/qrcodegen-include/qrcodegen/qrcodegen.hpp" COPYONLY)
add_library(veltrima_qrcodegen STATIC "${VELTRIMA_QRCODEGEN_SOURCE_DIR}/cpp/qrcodegen.cpp")
target_include_directories(veltrima_qrcodegen PRIVATE "${VELTRIMA_QRCODEGEN_SOURCE_DIR}/cpp"
                           SYSTEM INTERFACE "${PROJECT_BINARY_DIR}/qrcodegen-include")

# pugixml with its default configuration (the one Debian's libpugixml-dev is
# built with), under the target name map/layout links on Linux.
set(VELTRIMA_PUGIXML_SOURCE_DIR "" CACHE PATH "Unpacked pugixml source tree")
veltrima_require_source(VELTRIMA_PUGIXML_SOURCE_DIR src/pugixml.cpp pugixml)
add_library(veltrima_pugixml STATIC "${VELTRIMA_PUGIXML_SOURCE_DIR}/src/pugixml.cpp")
target_include_directories(veltrima_pugixml SYSTEM PUBLIC "${VELTRIMA_PUGIXML_SOURCE_DIR}/src")
add_library(pugixml::pugixml ALIAS veltrima_pugixml)

# nlohmann/json is header-only and the same for every target, so Debian's
# installed copy (nlohmann-json3-dev) serves. Its headers are copied into the
# build folder rather than adding /usr/include, which would put the build
# machine's C library headers in front of MinGW's.
find_path(VELTRIMA_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include
          NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
file(COPY "${VELTRIMA_NLOHMANN_JSON_INCLUDE}/nlohmann"
     DESTINATION "${PROJECT_BINARY_DIR}/nlohmann-include")
add_library(veltrima_nlohmann_json INTERFACE)
target_include_directories(veltrima_nlohmann_json SYSTEM INTERFACE
                           "${PROJECT_BINARY_DIR}/nlohmann-include")
add_library(nlohmann_json::nlohmann_json ALIAS veltrima_nlohmann_json)

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
