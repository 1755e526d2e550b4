# Cross build for 64-bit ARM Linux boards with Debian's cross compilers:
#
#   apt-get install g++-aarch64-linux-gnu qemu-user
#   cmake -S . -B build/aarch64 --toolchain cmake/toolchains/aarch64-linux-gnu.cmake \
#       -DPEXILON_BUILD_TESTS=OFF -DPEXILON_BUILD_TOOLS=OFF -DPEXILON_BUILD_BENCH=OFF
#   cmake --build build/aarch64 -j2
#
# Programs built this way run on the build machine under qemu-user:
#   qemu-aarch64 -L /usr/aarch64-linux-gnu ./program
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# Headers, libraries and packages come from the target's tree only; programs
# that run during the build (none today) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the test programs of a cross build under qemu-user.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
