# 32-bit Windows with Debian's MinGW-w64 cross compiler (package g++-mingw-w64-i686-posix):
#   cmake -S . -B build-windows-32 \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake -DORQ_BUILD_GUI=OFF
# The driver's entry points are __stdcall here and its device node is 100 bytes.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ORQ_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
