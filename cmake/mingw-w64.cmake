# The part of the Windows toolchain files that both widths share: the including file sets
# ORQ_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR first. The posix flavour of Debian's MinGW-w64
# compilers is the one whose C++ library has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)

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
