#!/bin/sh
# Installs the build into a temporary prefix and builds a C program against
# the installed check library twice: with the flags pkg-config gives, and
# through find_package(pexilon_config_check) -> pexilon::config_check.
#   check_consumer.sh BUILD_DIR SOURCE_DIR LIBDIR VERSION SOVERSION CMAKE CHECK_VERSION
# CHECK_VERSION is the check library's own release, which its file carries.
BUILD_DIR=$1 SOURCE_DIR=$2 LIBDIR=$3 VERSION=$4 SOVERSION=$5 CMAKE=$6 CHECK_VERSION=$7
. "$(dirname "$0")/common.sh"

install_tree
lib=$prefix/$LIBDIR/libpexilon_config_check.so
[ -f "$lib.$CHECK_VERSION" ] && [ ! -L "$lib.$CHECK_VERSION" ] || fail "no $lib.$CHECK_VERSION"
[ "$(readlink "$lib")" = "libpexilon_config_check.so.$SOVERSION" ] ||
    fail "$lib is not a link to the SONAME"
cmp -s "$prefix/include/pexilon/config_check.h" "$SOURCE_DIR/include/pexilon/config_check.h" ||
    fail "installed check header differs"
cmp -s "$prefix/include/pexilon/check.hpp" "$SOURCE_DIR/include/pexilon/check.hpp" ||
    fail "installed C++ check header differs"
! grep -rl "$BUILD_DIR" "$prefix/$LIBDIR/cmake/pexilon_config_check" ||
    fail "installed package files name the build tree"

mkdir "$work/src"
cat >"$work/src/main.c" <<'C'
#include <stdio.h>
#include "pexilon/config_check.h"

static int show(void *user, const pexilon_check_diagnostic *d)
{
    (void)user;
    printf("%zu:%zu: %s [%s]\n", d->line, d->column,
           d->severity == PEXILON_CHECK_ERROR ? "error" : "warning", d->name);
    return 0;
}

int main(int argc, char **argv)
{
    pexilon_check_summary s;
    (void)argc;
    pexilon_check_path(argv[1], show, NULL, &s);
    printf("result %d, %zu errors, %zu warnings\n", s.parse_result, s.errors, s.warnings);
    fprintf(stderr, "%s\n", pexilon_check_version());
    return 0;
}
C
cat >"$work/src/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(check_consumer LANGUAGES C)
find_package(pexilon_config_check 1.2 REQUIRED)
add_executable(check_consumer main.c)
target_link_libraries(check_consumer PRIVATE pexilon::config_check)
CMAKE
# The same through pexilon/check.hpp, as C++17.
cat >"$work/src/main.cpp" <<'CXX'
#include <cstdio>
#include <pexilon/check.hpp>

int main(int argc, char **argv)
{
    (void)argc;
    const pexilon::check_report r = pexilon::check(argv[1]);
    for (const pexilon::diagnostic &d : r.diagnostics)
        std::printf("%zu:%zu: %s [%s]\n", d.line, d.column,
                    d.severity == pexilon::severity::error ? "error" : "warning", d.name.c_str());
    std::printf("result %d, %zu errors, %zu warnings\n", r.parse_result, r.errors, r.warnings);
    return 0;
}
CXX
printf '[camera parameter]\nSIZE = 640\nCFG_MODE 1\n' >"$work/two.conf"
printf '2:8: warning [value-count]\n3:1: error [no-separator]\nresult 3, 1 errors, 1 warnings\n' \
    >"$work/two.expected"

PKG_CONFIG_LIBDIR=$prefix/$LIBDIR/pkgconfig PKG_CONFIG_PATH= \
    cc -std=c99 -Wall -Werror -o "$work/by_pkgconfig" "$work/src/main.c" \
    $(PKG_CONFIG_LIBDIR=$prefix/$LIBDIR/pkgconfig PKG_CONFIG_PATH= \
      pkg-config --cflags --libs pexilon_config_check) || fail "building with pkg-config"
LD_LIBRARY_PATH=$prefix/$LIBDIR "$work/by_pkgconfig" "$work/two.conf" >"$work/pc.out" \
    2>"$work/pc.version"
diff -u "$work/two.expected" "$work/pc.out" || fail "pkg-config consumer output"
# The installed file, its pkg-config version and the library say one release.
[ "$(cat "$work/pc.version")" = "$CHECK_VERSION" ] ||
    fail "pexilon_check_version() says $(cat "$work/pc.version"), the file $CHECK_VERSION"
[ "$(PKG_CONFIG_LIBDIR=$prefix/$LIBDIR/pkgconfig PKG_CONFIG_PATH= \
    pkg-config --modversion pexilon_config_check)" = "$CHECK_VERSION" ] ||
    fail "pkg-config's version of the check library is not $CHECK_VERSION"

PKG_CONFIG_LIBDIR=$prefix/$LIBDIR/pkgconfig PKG_CONFIG_PATH= \
    c++ -std=c++17 -Wall -Wextra -Wpedantic -Wconversion -Werror -o "$work/by_pkgconfig_cxx" \
    "$work/src/main.cpp" $(PKG_CONFIG_LIBDIR=$prefix/$LIBDIR/pkgconfig PKG_CONFIG_PATH= \
      pkg-config --cflags --libs pexilon_config_check) || fail "building the C++ check consumer"
LD_LIBRARY_PATH=$prefix/$LIBDIR "$work/by_pkgconfig_cxx" "$work/two.conf" >"$work/pc_cxx.out"
diff -u "$work/two.expected" "$work/pc_cxx.out" || fail "C++ check consumer output"

"$CMAKE" -S "$work/src" -B "$work/build" -DCMAKE_PREFIX_PATH="$prefix" >"$work/cmake.log" 2>&1 ||
    { cat "$work/cmake.log"; fail "configuring the CMake consumer"; }
"$CMAKE" --build "$work/build" >"$work/compile.log" 2>&1 ||
    { cat "$work/compile.log"; fail "building the CMake consumer"; }
"$work/build/check_consumer" "$work/two.conf" >"$work/cmake.out" 2>/dev/null
diff -u "$work/two.expected" "$work/cmake.out" || fail "CMake consumer output"
echo "check consumers: pkg-config and find_package($SOVERSION) builds report as expected"
