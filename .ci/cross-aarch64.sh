#!/usr/bin/env bash
# Cross-builds the library for 64-bit ARM with Debian's cross compilers, then
# builds the C host and the ABI test against it (as C99 and as C11) and runs
# them under qemu-user, so the record's layout is proved on the target too.
#
#   .ci/cross-aarch64.sh [BUILD_DIR]     (default build/aarch64)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/aarch64}
sysroot=/usr/aarch64-linux-gnu

need=()
for pkg in g++-aarch64-linux-gnu libc6-dev-arm64-cross qemu-user; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

cmake -S . -B "$build" --toolchain cmake/toolchains/aarch64-linux-gnu.cmake \
    -DPEXILON_BUILD_TESTS=OFF -DPEXILON_BUILD_TOOLS=OFF -DPEXILON_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j2
lib_dir=$(cd "$build" && pwd)
sh tests/abi/exports.sh "$lib_dir/libpexilon_config_parser.so" libpexilon_config_parser.so.1 pexilon_parse_config

# Outside C programs linked against the shared object alone, with the same
# warnings as in the native build.
cc_for_target() { # STD OUTPUT SOURCE
    aarch64-linux-gnu-gcc -std="$1" -pedantic -Wall -Wextra -Werror -Iinclude "$3" \
        -L"$lib_dir" -Wl,-rpath,"$lib_dir" -lpexilon_config_parser -o "$2"
}
run() { qemu-aarch64 -L "$sysroot" "$@"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/pexilon-aarch64.XXXXXX")
trap 'rm -rf "$work"' EXIT
for std in c99 c11; do
    cc_for_target "$std" "$lib_dir/abi_$std" tests/abi/abi_c99.c
    cc_for_target "$std" "$lib_dir/c_host_$std" tests/host/c_host.c
    aarch64-linux-gnu-readelf -h "$lib_dir/c_host_$std" | grep -q 'Machine: *AArch64' ||
        { echo "c_host_$std is not an aarch64 program" >&2; exit 1; }
    run "$lib_dir/abi_$std"
    (cd "$work" && run "$lib_dir/c_host_$std" >"c_host_$std.out") ||
        { cat "$work/c_host_$std.out"; echo "c_host_$std failed under qemu" >&2; exit 1; }
    run "$lib_dir/c_host_$std" examples/sample.conf >/dev/null
    echo "c_host_$std: own file and examples/sample.conf read as expected on aarch64"
done
