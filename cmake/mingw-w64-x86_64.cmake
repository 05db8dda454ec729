# Cross build of the 64-bit Windows console program with mingw-w64 (Debian
# package g++-mingw-w64-x86-64-posix): the "posix" thread-model compilers, the
# target's own libraries only, and a statically linked program that needs no
# DLL beyond those of Windows itself.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PHM210_MINGW_TRIPLET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${PHM210_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PHM210_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${PHM210_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PHM210_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)


# Only the program is built for Windows; tests and tools run on the build
# machine.
set(PHM210_BUILD_TESTS OFF CACHE BOOL "Build the unit and end-to-end tests")
