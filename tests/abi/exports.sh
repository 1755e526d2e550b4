#!/bin/sh
# A shared object of this project as the dynamic loader sees it: it exports
# the functions named and nothing else, carries the SONAME of its ABI, needs
# no library but the C library, and takes nothing else from outside.
#
#   exports.sh LIBRARY_FILE EXPECTED_SONAME FUNCTION...
#
# The parser library exports pexilon_parse_config alone; the check library
# its pexilon_check_ functions alone.
set -eu
[ $# -ge 3 ] || { echo "usage: exports.sh LIBRARY_FILE EXPECTED_SONAME FUNCTION..." >&2; exit 2; }
lib=$1
want_soname=$2
shift 2
want_symbols=$(for f in "$@"; do echo "T $f"; done | sort)
fail=0

# Defined dynamic symbols (a symbol version, if any, stripped), without the
# marker symbols of version nodes.
symbols=$(nm -D --defined-only "$lib" | awk '$2 != "A" { sub(/@.*/, "", $3); print $2, $3 }' | sort)
if [ "$symbols" != "$want_symbols" ]; then
    echo "FAIL exported symbols:"; echo "$symbols"; fail=1
fi

# Every undefined symbol is bound to a version of the C library, or weak
# (hooks such as __gmon_start__): the C++ runtime is linked in statically.
foreign=$(nm -D --undefined-only "$lib" | awk '$1 != "w" && $2 !~ /@GLIBC_/ { print $2 }')
if [ -n "$foreign" ]; then
    echo "FAIL undefined symbols not from the C library:"; echo "$foreign"; fail=1
fi

soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
if [ "$soname" != "$want_soname" ]; then
    echo "FAIL SONAME '$soname', expected '$want_soname'"; fail=1
fi
# The loader finds the library by its SONAME, which the build puts beside it.
if [ ! -e "$(dirname "$lib")/$want_soname" ]; then
    echo "FAIL no $want_soname beside $lib"; fail=1
fi

needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
         grep -v -e '^libc\.so\.6$' -e '^ld-linux-.*\.so\.[0-9]*$' || true)
if [ -n "$needed" ]; then
    echo "FAIL needs more than the C library:"; echo "$needed"; fail=1
fi

[ "$fail" = 0 ] && echo "exports, SONAME $soname and dependencies as expected"
exit "$fail"
