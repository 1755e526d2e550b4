#!/bin/sh
# The shared object exports the given functions (pexilon_parse_config by
# default) and nothing else, carries the SONAME of its ABI, and needs no
# library but the C library.
#
#   exports.sh LIBRARY_FILE EXPECTED_SONAME [FUNCTION...]
set -eu
lib=$1
want_soname=$2
shift 2
[ $# -gt 0 ] || set -- pexilon_parse_config
want_symbols=$(for f in "$@"; do echo "T $f"; done | sort)
fail=0

# Defined dynamic symbols (a symbol version, if any, stripped), without the
# marker symbols of version nodes.
symbols=$(nm -D --defined-only "$lib" | awk '$2 != "A" { sub(/@.*/, "", $3); print $2, $3 }' | sort)
if [ "$symbols" != "$want_symbols" ]; then
    echo "FAIL exported symbols:"; echo "$symbols"; fail=1
fi

soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
if [ "$soname" != "$want_soname" ]; then
    echo "FAIL SONAME '$soname', expected '$want_soname'"; fail=1
fi

needed=$(readelf -d "$lib" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' |
         grep -v -e '^libc\.so\.6$' -e '^ld-linux-x86-64\.so\.2$' || true)
if [ -n "$needed" ]; then
    echo "FAIL needs more than the C library:"; echo "$needed"; fail=1
fi

[ "$fail" = 0 ] && echo "exports, SONAME $soname and dependencies as expected"
exit "$fail"
