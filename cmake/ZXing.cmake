# zxing-cpp, the QR reader that veltrima-sync-read and the SYNC tests read
# codes back with, as a phone or a capture would, found in this one place:
# Debian's libzxing-dev through pkg-config (or its CMake package). Linux only:
# nothing that ships in a DLL links it. Defines veltrima_zxing when found.
if(NOT TARGET ZXing::ZXing)
  find_package(ZXing QUIET CONFIG)
endif()
if(NOT TARGET ZXing::ZXing AND NOT WIN32)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(VELTRIMA_ZXING QUIET IMPORTED_TARGET zxing)
  endif()
endif()

if(TARGET ZXing::ZXing)
  add_library(veltrima_zxing INTERFACE)
  target_link_libraries(veltrima_zxing INTERFACE ZXing::ZXing)
elseif(TARGET PkgConfig::VELTRIMA_ZXING)
  add_library(veltrima_zxing INTERFACE)
  target_link_libraries(veltrima_zxing INTERFACE PkgConfig::VELTRIMA_ZXING)
endif()

# Links zxing-cpp into `target`; stops the configuration with the package to
# install when it is missing.
function(veltrima_link_zxing target)
  if(NOT TARGET veltrima_zxing)
    message(FATAL_ERROR "zxing-cpp was not found: install libzxing-dev (scripts/setup.sh lists it)")
  endif()
  target_link_libraries(${target} PUBLIC veltrima_zxing)
endfunction()
