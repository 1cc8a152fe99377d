# The foundations every plug-in of ours is built on, and the function that
# turns a plug-in's code into the loadable module hosts load.
#
# veltrima_foundation: the FFGL boundary (host/), the GL helpers (gl/) and the
# clock layer (clock/). A plug-in's own code is a static library that links
# it; the module wraps both whole.
add_library(veltrima_foundation STATIC
  clock/SteadyClock.cpp
  clock/WallClock.cpp
  gl/CopyAsDrawn.cpp
  gl/OutputCache.cpp
  gl/ProgramCache.cpp
  gl/RectBatch.cpp
  gl/ScreenQuad.cpp
  gl/ShaderProgram.cpp
  host/EntryPoint.cpp
  host/GLLoader.cpp
  host/Plugin.cpp
  host/ParameterDefinition.cpp
  host/PluginManager.cpp
  host/PluginRegistration.cpp
  host/ValueConversion.cpp
)
target_include_directories(veltrima_foundation PUBLIC ${PROJECT_SOURCE_DIR})
target_link_libraries(veltrima_foundation PUBLIC GLEW::GLEW OpenGL::GL)
veltrima_warnings(veltrima_foundation)

# veltrima_add_plugin(<module> CORE <static library> BUNDLE_NAME <name> BUNDLE_ID <id>)
# Makes the module <module> (.so, .dll or macOS .bundle, no "lib" prefix:
# hosts find plug-ins by file name) from the plug-in's static library and the
# foundation, both linked whole: nothing in the module refers to the
# registration object or to plugMain, yet both must be linked in. Also makes
# <module>_linked, for programs that link the plug-in's code directly and
# call its plugMain.
function(veltrima_add_plugin module)
  cmake_parse_arguments(ARG "" "CORE;BUNDLE_NAME;BUNDLE_ID" "" ${ARGN})
  # The foundation goes whole wherever the plug-in's code goes (CMake allows
  # one link feature per library in a link line).
  target_link_libraries(${ARG_CORE} PUBLIC "$<LINK_LIBRARY:WHOLE_ARCHIVE,veltrima_foundation>")
  add_library(${module} MODULE ${PROJECT_SOURCE_DIR}/host/Module.cpp)
  # Every module lands in the build folder's root, where hosts' users, the
  # tools and the scripts look for it, whichever folder its code lives in.
  set_target_properties(${module} PROPERTIES PREFIX "" OUTPUT_NAME "${module}"
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR} RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
  target_link_libraries(${module} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${ARG_CORE}>")
  veltrima_warnings(${module})

  if(WIN32)
    set_target_properties(${module} PROPERTIES SUFFIX ".dll")
    if(MINGW)
      # Static runtimes (libgcc, libstdc++, winpthread): a host loads the DLL
      # alone, on machines that have none of MinGW's DLLs. Only the DLLs that
      # Windows ships stay imports; tests/windows checks the tables.
      target_link_options(${module} PRIVATE -static -static-libgcc -static-libstdc++)
    endif()
  elseif(APPLE)
    # Hosts load <module>.bundle/Contents/MacOS/<module>, found through the
    # bundle's Info.plist. Written for macOS but never built or tested here
    # (no macOS machine).
    set_target_properties(${module} PROPERTIES
      BUNDLE TRUE BUNDLE_EXTENSION "bundle"
      MACOSX_BUNDLE_INFO_PLIST ${PROJECT_SOURCE_DIR}/cmake/MacOSBundleInfo.plist.in
      MACOSX_BUNDLE_BUNDLE_NAME "${ARG_BUNDLE_NAME}"
      MACOSX_BUNDLE_GUI_IDENTIFIER "${ARG_BUNDLE_ID}"
      MACOSX_BUNDLE_SHORT_VERSION_STRING ${PROJECT_VERSION}
      MACOSX_BUNDLE_BUNDLE_VERSION ${PROJECT_VERSION})
    target_link_options(${module} PRIVATE
      "LINKER:-exported_symbol,_plugMain" "LINKER:-exported_symbol,_SetLogCallback")
  else()
    set_target_properties(${module} PROPERTIES SUFFIX ".so")
    # Exactly two exports; template instantiations from the standard headers
    # would otherwise leak out as weak default-visibility symbols.
    target_link_options(${module} PRIVATE
      "LINKER:--version-script=${PROJECT_SOURCE_DIR}/cmake/exports.map"
      "LINKER:--no-undefined")
    set_property(TARGET ${module} APPEND PROPERTY LINK_DEPENDS
      ${PROJECT_SOURCE_DIR}/cmake/exports.map)
  endif()

  add_library(${module}_linked INTERFACE)
  target_link_libraries(${module}_linked INTERFACE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${ARG_CORE}>")
endfunction()
