# 32-bit Windows with Debian's MinGW-w64 cross compiler (package g++-mingw-w64-i686-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-w64-mingw32.cmake \
#         -DORQ_BUILD_GUI=OFF
# The posix flavour is the one whose C++ library has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ORQ_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${ORQ_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORQ_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${ORQ_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ORQ_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own run-time (libgcc, libstdc++, winpthread) goes into every executable and
# DLL, so that they run on a bare Windows, or wine, with nothing beside them but the driver.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
