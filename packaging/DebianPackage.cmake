# The Debian package, built by `cpack` in the build directory (scripts/package does it). Its
# dependencies are computed from the installed binaries by dpkg-shlibdeps, never typed here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ORQ_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
# xz, as Debian's own packages: its stream holds no time stamp, so the package is reproducible.
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control utility for ORQ-SYV-730 SDI audio embedders")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "${ORQ_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORQ_PACKAGE_MAINTAINER}")
# The driver libraries are objects of the package like the programs, so their own dependencies
# (libftdi1, libusb) are computed too. Nothing links against them (they are loaded with dlopen),
# so dpkg-shlibdeps needs no private directory to resolve them in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The command-line tool carries CLI11 and nlohmann-json compiled in from their header-only
# packages; Built-Using names the sources of exactly the versions this build took them from.
# CPack writes no such field, so it rides on the Source field's line (the source is our own).
if(TARGET orq-syv)
  execute_process(
    COMMAND dpkg-query -W [=[-f=${source:Package} (= ${source:Version})\n]=]
      libcli11-dev nlohmann-json3-dev
    OUTPUT_VARIABLE built_using OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "dpkg-query cannot name the sources of libcli11-dev and nlohmann-json3-dev")
  endif()
  string(REPLACE "\n" ", " built_using "${built_using}")
  set(CPACK_DEBIAN_PACKAGE_SOURCE "${ORQ_PACKAGE_NAME}\nBuilt-Using: ${built_using}")
endif()

include(CPack)
