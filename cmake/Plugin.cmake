# The plug-in: its code built once as a static library (tests and tools link
# it to reach inside), wrapped whole into the loadable module that hosts load.

set(VELTRIMA_SHADER_SOURCES ${PROJECT_SOURCE_DIR}/shaders/vertex.glsl
                            ${PROJECT_SOURCE_DIR}/shaders/region_vertex.glsl
                            ${PROJECT_SOURCE_DIR}/shaders/fragment.glsl
                            ${PROJECT_SOURCE_DIR}/shaders/ShaderConstants.h)
set(VELTRIMA_EMBEDDED_SHADERS ${PROJECT_BINARY_DIR}/generated/ShaderSources.cpp)
add_custom_command(
  OUTPUT ${VELTRIMA_EMBEDDED_SHADERS}
  COMMAND ${CMAKE_COMMAND} -DVERTEX=${PROJECT_SOURCE_DIR}/shaders/vertex.glsl
          -DREGION_VERTEX=${PROJECT_SOURCE_DIR}/shaders/region_vertex.glsl
          -DFRAGMENT=${PROJECT_SOURCE_DIR}/shaders/fragment.glsl
          -DCONSTANTS=${PROJECT_SOURCE_DIR}/shaders/ShaderConstants.h
          -DOUTPUT=${VELTRIMA_EMBEDDED_SHADERS} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedShaders.cmake
  DEPENDS ${VELTRIMA_SHADER_SOURCES} ${PROJECT_SOURCE_DIR}/cmake/EmbedShaders.cmake
  COMMENT "Embedding the pattern shaders")

add_library(veltrima_core STATIC
  ${VELTRIMA_EMBEDDED_SHADERS}
  gl/ProgramCache.cpp
  gl/RectBatch.cpp
  gl/ScreenQuad.cpp
  gl/ShaderProgram.cpp
  host/EntryPoint.cpp
  host/GLLoader.cpp
  host/Plugin.cpp
  host/PluginManager.cpp
  host/PluginRegistration.cpp
  source/FrameClock.cpp
  source/FrameRegions.cpp
  source/GlyphFont.cpp
  source/OVNVeltrimaFree.cpp
  source/ParameterConversion.cpp
  source/Parameters.cpp
  source/Presets.cpp
  source/ProgramVariant.cpp
  source/Registration.cpp
  source/SteadyClock.cpp
)
target_include_directories(veltrima_core PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(veltrima_core PUBLIC GLEW::GLEW OpenGL::GL)
veltrima_warnings(veltrima_core)

# Hosts find the plug-in by file name: no "lib" prefix on any platform.
add_library(OVNVeltrimaFree MODULE host/Module.cpp)
set_target_properties(OVNVeltrimaFree PROPERTIES PREFIX "" OUTPUT_NAME "OVNVeltrimaFree")
# Whole archive: nothing in the module refers to the registration object, yet
# it must be linked in for its static initialisation to run.
target_link_libraries(OVNVeltrimaFree PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,veltrima_core>")
veltrima_warnings(OVNVeltrimaFree)

if(WIN32)
  set_target_properties(OVNVeltrimaFree PROPERTIES SUFFIX ".dll")
  if(MINGW)
    # Static runtimes (libgcc, libstdc++, winpthread): a host loads the DLL
    # alone, on machines that have none of MinGW's DLLs. Only the DLLs that
    # Windows ships stay imports; tests/windows checks the tables.
    target_link_options(OVNVeltrimaFree PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
elseif(APPLE)
  # Hosts load OVNVeltrimaFree.bundle/Contents/MacOS/OVNVeltrimaFree, found
  # through the bundle's Info.plist. Written for macOS but never built or
  # tested here (no macOS machine).
  set_target_properties(OVNVeltrimaFree PROPERTIES
    BUNDLE TRUE BUNDLE_EXTENSION "bundle"
    MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/cmake/MacOSBundleInfo.plist.in
    MACOSX_BUNDLE_BUNDLE_NAME "OVNVeltrima FREE"
    MACOSX_BUNDLE_GUI_IDENTIFIER "org.ovnveltrima.free"
    MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
    MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION})
  target_link_options(OVNVeltrimaFree PRIVATE
    "LINKER:-exported_symbol,_plugMain" "LINKER:-exported_symbol,_SetLogCallback")
else()
  set_target_properties(OVNVeltrimaFree PROPERTIES SUFFIX ".so")
  # Exactly two exports; template instantiations from the standard headers
  # would otherwise leak out as weak default-visibility symbols.
  target_link_options(OVNVeltrimaFree PRIVATE
    "LINKER:--version-script=${PROJECT_SOURCE_DIR}/cmake/exports.map"
    "LINKER:--no-undefined")
  set_property(TARGET OVNVeltrimaFree APPEND PROPERTY LINK_DEPENDS
    ${PROJECT_SOURCE_DIR}/cmake/exports.map)
endif()

# For programs that link the plug-in's code directly and call its plugMain:
# whole, so that the registration comes along.
add_library(veltrima_linked INTERFACE)
target_link_libraries(veltrima_linked INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,veltrima_core>")
