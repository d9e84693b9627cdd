# 64-bit Windows with Debian's MinGW-w64 cross compiler (package g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows-64 \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-x86_64-w64-mingw32.cmake -DORQ_BUILD_GUI=OFF
# The width of a Windows build of the whole program with Qt 6: one calling convention, and the
# driver's device node is 104 bytes.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ORQ_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
