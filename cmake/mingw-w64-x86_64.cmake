# Cross-builds the core and the command-line tool for 64-bit Windows with
# Debian's MinGW-w64 (packages g++-mingw-w64-x86-64-posix, libz-mingw-w64-dev):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# ./forge package --windows does this and zips the result.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VELDRA_MINGW_TRIPLET x86_64-w64-mingw32)
# the posix thread model: the C++ library's threads and mutexes on winpthreads
set(CMAKE_C_COMPILER ${VELDRA_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELDRA_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VELDRA_MINGW_TRIPLET}-windres)

# libraries and headers of the target only; programs of the build machine
set(CMAKE_FIND_ROOT_PATH /usr/${VELDRA_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# a program that runs on a Windows with nothing installed: the C++ runtime,
# libgcc, winpthreads and zlib are linked into it, not needed as DLLs
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(ZLIB_USE_STATIC_LIBS ON)
