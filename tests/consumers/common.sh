# Shared by the consumer tests: installs the build into a temporary prefix,
# checks the installed layout, and writes a configuration file whose summary
# is known. Sourced with these variables set:
#   BUILD_DIR SOURCE_DIR LIBDIR VERSION SOVERSION CMAKE
# With PEXILON_INSTALLED_PREFIX set (/usr, once the Debian packages are
# installed) nothing is installed: the consumers use the files already there.
set -eu

fail() { echo "FAIL: $*" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pexilon-consumer.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

install_tree() {
    if [ -n "${PEXILON_INSTALLED_PREFIX:-}" ]; then
        prefix=$PEXILON_INSTALLED_PREFIX
    else
        "$CMAKE" --install "$BUILD_DIR" --prefix "$prefix" >"$work/install.log" ||
            { cat "$work/install.log"; fail "cmake --install"; }
    fi

    lib=$prefix/$LIBDIR/libpexilon_config_parser.so
    [ -f "$lib.$VERSION" ] && [ ! -L "$lib.$VERSION" ] || fail "no $lib.$VERSION"
    [ "$(readlink "$lib.$SOVERSION")" = "libpexilon_config_parser.so.$VERSION" ] ||
        fail "$lib.$SOVERSION is not a link to the versioned file"
    [ "$(readlink "$lib")" = "libpexilon_config_parser.so.$SOVERSION" ] ||
        fail "$lib is not a link to the SONAME"
    soname=$(readelf -d "$lib.$VERSION" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
    [ "$soname" = "libpexilon_config_parser.so.$SOVERSION" ] || fail "SONAME '$soname'"
    cmp -s "$prefix/include/pexilon/config_parser.h" \
        "$SOURCE_DIR/include/pexilon/config_parser.h" || fail "installed header differs"
    cmp -s "$prefix/include/pexilon/config.hpp" "$SOURCE_DIR/include/pexilon/config.hpp" ||
        fail "installed C++ header differs"
    diff -r "$prefix/include/pexilon/config" "$SOURCE_DIR/include/pexilon/config" >/dev/null ||
        fail "the headers config.hpp includes are not installed as they are"
    [ -f "$prefix/$LIBDIR/pkgconfig/pexilon_config_parser.pc" ] || fail "no .pc file"
    # A distribution lays out the licence and the manual page its own way
    # (a copyright file, a compressed page): those are checked here only as
    # cmake --install lays them out.
    distribution=${PEXILON_INSTALLED_PREFIX:+yes}
    [ -n "$distribution" ] || cmp -s "$prefix/share/doc/pexilon_config_parser/LICENSE" \
        "$SOURCE_DIR/LICENSE" || fail "the licence is not installed"
    grep -qx 'License: MIT' "$prefix/$LIBDIR/pkgconfig/pexilon_config_parser.pc" ||
        fail "the .pc file does not name the licence"
    for f in config config-version targets; do
        [ -f "$prefix/$LIBDIR/cmake/pexilon_config_parser/pexilon_config_parser-$f.cmake" ] ||
            fail "no CMake package file pexilon_config_parser-$f.cmake"
    done
    if [ -z "$distribution" ] && [ -e "$prefix/bin/pexilon-config" ]; then
        cmp -s "$prefix/share/man/man1/pexilon-config.1" "$SOURCE_DIR/doc/pexilon-config.1" ||
            fail "no manual page, or not the one in doc/"
        [ -f "$prefix/share/bash-completion/completions/pexilon-config" ] ||
            fail "no bash completion"
    fi
    # Nothing of the build tree may leak into the installed package.
    ! grep -rl "$BUILD_DIR" "$prefix/$LIBDIR/cmake" "$prefix/$LIBDIR/pkgconfig" ||
        fail "installed package files name the build tree"
}

# A file with one entry of each section kind and two controls, and the lines
# both consumers print for it.
write_known_config() {
    cat >"$work/known.conf" <<'CONF'
[camera parameter]
TYPE = PEX-CAM
SIZE = 1280, 720
[board parameter][dev2]
VRCMD = 1, 2
[register parameter]
REG = 0x3000, 0x12
    0x3001, 0x34
[control parameter]
MIN_VALUE = -10
MAX_VALUE = 0x7FFFFFFFFFFFFFFF
STEP = 2
DEF = 3
CTRL_NAME = exposure
======CODE_BLOCK_START======
set(value)
======CODE_BLOCK_END======
[control parameter]
CTRL_NAME = gain
CONF
    cat >"$work/known.expected" <<'OUT'
result: 0
camera: PEX-CAM 1280x720
entry 0x02020002: 1 2
entry 0x03000001: 12288 18
entry 0x03000001: 12289 52
control exposure: -10..9223372036854775807 step 2 default 3 with code
control gain: 0..0 step 0 default 0
OUT
}

# run_consumer PROGRAM: runs it on the known file and on the shipped sample.
run_consumer() {
    write_known_config
    "$1" "$work/known.conf" >"$work/known.out" || fail "$1 on the known file"
    diff -u "$work/known.expected" "$work/known.out" || fail "unexpected output of $1"
    if [ -f "$SOURCE_DIR/examples/sample.conf" ]; then
        "$1" "$SOURCE_DIR/examples/sample.conf" >"$work/sample.out" ||
            { cat "$work/sample.out"; fail "$1 on examples/sample.conf"; }
        head -n 2 "$work/sample.out"
    fi
    "$1" "$work/missing.conf" >"$work/missing.out" && fail "$1 accepted a missing file"
    grep -qx 'result: -1' "$work/missing.out" || fail "missing file did not give -1"
}
