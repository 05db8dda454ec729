# Cross build for 64-bit ARM Linux (Debian's g++-aarch64-linux-gnu), run
# under qemu-user: `make test-arm64` (mk/arm64.mk).
#
# Static executables, so the emulator needs no ARM64 libraries at run time.
# On ARM64, long double is not the x87 format: the build takes the software
# double-extended type.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Libraries, headers and packages (GoogleTest built for ARM64 among them, see
# PHM210_AARCH64_PREFIX) only from the target's trees; programs from the
# build machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu ${PHM210_AARCH64_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# CTest runs test executables (and lists GoogleTest cases) through it.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
