#!/bin/sh
# Installs the library into a temporary prefix and builds examples/consumer_c
# outside the source tree with the flags that pkg-config gives.
#   pkgconfig_consumer.sh BUILD_DIR SOURCE_DIR LIBDIR VERSION SOVERSION CMAKE
BUILD_DIR=$1 SOURCE_DIR=$2 LIBDIR=$3 VERSION=$4 SOVERSION=$5 CMAKE=$6
. "$(dirname "$0")/common.sh"

command -v pkg-config >/dev/null || fail "pkg-config is not installed"
install_tree

# Only the installed prefix: no system copy may answer.
PKG_CONFIG_LIBDIR=$prefix/$LIBDIR/pkgconfig
PKG_CONFIG_PATH=
export PKG_CONFIG_LIBDIR PKG_CONFIG_PATH

modversion=$(pkg-config --modversion pexilon_config_parser)
[ "$modversion" = "$VERSION" ] || fail "pkg-config --modversion gives '$modversion'"
[ "$(pkg-config --variable=libdir pexilon_config_parser)" = "$prefix/$LIBDIR" ] ||
    fail "pkg-config libdir is not the install prefix"
echo "pkg-config: $(pkg-config --cflags --libs pexilon_config_parser)"

cp -R "$SOURCE_DIR/examples/consumer_c" "$work/consumer_c"
make -s -C "$work/consumer_c" >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; fail "building consumer_c"; }

LD_LIBRARY_PATH=$prefix/$LIBDIR
export LD_LIBRARY_PATH
run_consumer "$work/consumer_c/consumer_c"
echo "consumer_c: pkg-config $modversion, SONAME $soname, output as expected"

# The C++ interface comes with the same flags: the CMake consumer's program,
# built as C++17 by hand, prints what the C program prints.
c++ -std=c++17 -Wall -Wextra -Wpedantic -Wconversion -Werror -o "$work/consumer_cxx" \
    "$SOURCE_DIR/examples/consumer_cmake/main.cpp" \
    $(pkg-config --cflags --libs pexilon_config_parser) >"$work/cxx.log" 2>&1 ||
    { cat "$work/cxx.log"; fail "building the C++ consumer with pkg-config flags"; }
run_consumer "$work/consumer_cxx"
echo "consumer_cxx: pexilon/config.hpp as C++17 with the pkg-config flags, output as expected"
