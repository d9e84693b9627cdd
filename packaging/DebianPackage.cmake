# The Debian package, built by `cpack` in the build directory (scripts/package does it). Its
# dependencies are computed from the installed binaries by dpkg-shlibdeps, never typed here.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${ORQ_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control utility for ORQ-SYV-730 SDI audio embedders")
# The long description as it appears in the package, wrapped to Debian's 80 columns.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
ORQ-SYV-730 units embed audio in an SDI video signal and de-embed it, with
microphone inputs and test signals on some models. They attach to the
computer through an FT232R USB serial bridge.

ORQ-SYV Settings lists the attached units and opens a live control panel for
one of them: its identity, the state of its input and every setting, kept
current by continuous polling. Any setting changes with a click, settings are
saved to and loaded from preset files, and factory defaults are restored on
request. The command-line tool orq-syv does the same from scripts.

The package brings an open driver for the FT232R on libftdi1 and a simulator
of the units, with a menu entry that starts the program on simulated units
for training and demonstration.]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ORQ_PACKAGE_MAINTAINER}")
# The driver libraries are objects of the package like the programs, so their own dependencies
# (libftdi1, libusb) are computed too. Nothing links against them (they are loaded with dlopen),
# so dpkg-shlibdeps needs no private directory to resolve them in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
