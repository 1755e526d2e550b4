#!/bin/sh
# Installs the library into a temporary prefix and builds examples/consumer_cmake
# outside the source tree through find_package(pexilon_config_parser).
#   cmake_consumer.sh BUILD_DIR SOURCE_DIR LIBDIR VERSION SOVERSION CMAKE
BUILD_DIR=$1 SOURCE_DIR=$2 LIBDIR=$3 VERSION=$4 SOVERSION=$5 CMAKE=$6
. "$(dirname "$0")/common.sh"

install_tree
cp -R "$SOURCE_DIR/examples/consumer_cmake" "$work/src"

# configure NAME REQUESTED_VERSION: a build tree of the consumer asking for that version.
configure() {
    "$CMAKE" -S "$work/src" -B "$work/$1" -DCMAKE_PREFIX_PATH="$prefix" \
        -DPEXILON_REQUIRED_VERSION="$2" >"$work/$1.log" 2>&1
}

# The package's version file accepts any 1.x request and refuses other majors.
major=${VERSION%%.*}
configure wrong_major "$((major + 1))" && fail "find_package accepted major $((major + 1))"
grep -q "pexilon_config_parser-config.cmake, version: $VERSION" "$work/wrong_major.log" ||
    { cat "$work/wrong_major.log"; fail "refusal did not come from the version file"; }
configure build "$major" || { cat "$work/build.log"; fail "configuring consumer_cmake"; }
"$CMAKE" --build "$work/build" >"$work/compile.log" 2>&1 ||
    { cat "$work/compile.log"; fail "building consumer_cmake"; }

# No LD_LIBRARY_PATH: CMake gives the program the run path of the imported library.
run_consumer "$work/build/consumer_cmake"
echo "consumer_cmake: find_package($major) found $VERSION in $prefix, output as expected"
