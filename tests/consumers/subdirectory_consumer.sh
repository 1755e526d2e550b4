#!/bin/sh
# Builds tests/consumers/subdirectory_parent, a project that adds this source
# tree with add_subdirectory. It must get the library alone: built with a C++
# compiler only, without our tests, tools, benchmarks or -Werror, and under
# the parent's build type.
#   subdirectory_consumer.sh BUILD_DIR SOURCE_DIR LIBDIR VERSION SOVERSION CMAKE
BUILD_DIR=$1 SOURCE_DIR=$2 LIBDIR=$3 VERSION=$4 SOVERSION=$5 CMAKE=$6
. "$(dirname "$0")/common.sh"

cp -R "$SOURCE_DIR/tests/consumers/subdirectory_parent" "$work/src"
# A C compiler that cannot run: configuring fails if anything enables C.
"$CMAKE" -S "$work/src" -B "$work/build" -DPEXILON_SOURCE_DIR="$SOURCE_DIR" \
    -DCMAKE_C_COMPILER="$work/no-c-compiler" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON \
    >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; fail "configuring the parent"; }
"$CMAKE" --build "$work/build" -j2 >"$work/build.log" 2>&1 ||
    { cat "$work/build.log"; fail "building the parent"; }

grep -qx 'CMAKE_BUILD_TYPE:STRING=' "$work/build/CMakeCache.txt" ||
    fail "the parent's empty build type was replaced: $(grep '^CMAKE_BUILD_TYPE:' "$work/build/CMakeCache.txt")"
# The bare flag: a distribution's own flags may carry -Werror=format-security.
! grep -qE -e '-Werror([" ]|$)' "$work/build/compile_commands.json" ||
    fail "-Werror reached the parent's build"
extra=$(find "$work/build" -type f \( -name 'test_*' -o -name pexilon-config -o -name pexilon_bench \
    -o -name '*_replay' -o -name c_host \) -perm -u+x)
[ -z "$extra" ] || fail "the parent built more than the library: $extra"

run_consumer "$work/build/subdirectory_consumer"
echo "subdirectory_consumer: library built inside a C++-only parent, output as expected"
