# qr-code-generator (MIT), the QR encoder the SYNC plug-in draws its codes
# with, found in this one place: on Linux Debian's libqrcodegencpp-dev through
# pkg-config; a Windows build defines veltrima_qrcodegen first
# (cmake/WindowsDependencies.cmake builds it from Debian's source package, as
# it does GLEW), and that is used as is.
if(NOT TARGET veltrima_qrcodegen AND NOT WIN32)
  find_package(PkgConfig QUIET)
  if(PkgConfig_FOUND)
    pkg_check_modules(VELTRIMA_QRCODEGEN QUIET IMPORTED_TARGET qrcodegencpp)
  endif()
  if(TARGET PkgConfig::VELTRIMA_QRCODEGEN)
    add_library(veltrima_qrcodegen INTERFACE)
    target_link_libraries(veltrima_qrcodegen INTERFACE PkgConfig::VELTRIMA_QRCODEGEN)
  endif()
endif()

# Links the QR encoder into `target`; stops the configuration with the
# package to install when it is missing.
function(veltrima_link_qrcodegen target)
  if(NOT TARGET veltrima_qrcodegen)
    message(FATAL_ERROR "qr-code-generator was not found: install libqrcodegencpp-dev "
                        "(scripts/setup.sh lists it)")
  endif()
  target_link_libraries(${target} PUBLIC veltrima_qrcodegen)
endfunction()
