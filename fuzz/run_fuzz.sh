#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") if needed and runs each of them
# for SECONDS seconds, one after another, starting from a copy of fuzz/corpus.
#
#   fuzz/run_fuzz.sh SECONDS [TARGET...]
#   fuzz/run_fuzz.sh --runtime     print clang's libFuzzer runtime, or fail
#
# Exits non-zero when any target finds a crash, a leak, a time-out or a failed
# check. Reproducers are kept in a dated folder under $PEXILON_FUZZ_ARTIFACTS
# (default build/fuzz/artifacts); new corpus entries stay in the temporary copy.
set -euo pipefail

# The libFuzzer runtime ships apart from clang (Debian: libclang-rt-dev); clang
# knows where it belongs, whatever its version and layout.
fuzzer_runtime() {
    local name path
    for name in "libclang_rt.fuzzer-$(uname -m).a" libclang_rt.fuzzer.a; do
        path=$(clang -print-file-name="$name") || return 1
        if [[ -f $path ]]; then
            echo "$path"
            return 0
        fi
    done
    return 1
}

if [[ ${1:-} == --runtime ]]; then
    fuzzer_runtime
    exit
fi
if [[ $# -lt 1 || ! $1 =~ ^[0-9]+$ ]]; then
    echo "usage: $0 SECONDS [TARGET...]" >&2
    exit 2
fi
seconds=$1
shift
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(fuzz_parse_file fuzz_parse_text fuzz_dump fuzz_check fuzz_format fuzz_document fuzz_edit
    fuzz_fixits)

if ! fuzzer_runtime >/dev/null; then
    echo "$0: clang has no libFuzzer runtime; install libclang-rt-dev" >&2
    exit 2
fi

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${PEXILON_FUZZ_BUILD_DIR:-$root/build/fuzz}
artifacts=${PEXILON_FUZZ_ARTIFACTS:-$build/artifacts}/$(date +%Y%m%d-%H%M%S)

if [[ ! -f $build/CMakeCache.txt ]]; then
    if [[ $build == "$root/build/fuzz" ]]; then
        (cd "$root" && cmake --preset fuzz)
    else
        cmake -S "$root" -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
            -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPEXILON_BUILD_FUZZ=ON \
            -DPEXILON_BUILD_TESTS=OFF -DPEXILON_BUILD_BENCH=OFF
    fi
fi
cmake --build "$build" --target "${targets[@]}" -j2

work=$(mktemp -d "${TMPDIR:-/tmp}/pexilon_fuzz.XXXXXX")
scratch_parent=/dev/shm
[[ -d $scratch_parent && -w $scratch_parent ]] || scratch_parent=$work
scratch=$(mktemp -d "$scratch_parent/pexilon_fuzz_scratch.XXXXXX")
trap 'rm -rf "$work" "$scratch"' EXIT
export PEXILON_FUZZ_SCRATCH_DIR=$scratch
mkdir -p "$artifacts"

failed=()
for target in "${targets[@]}"; do
    corpus=$work/$target
    cp -r "$root/fuzz/corpus" "$corpus"
    echo "=== $target: ${seconds}s from $(ls "$corpus" | wc -l) seeds"
    if ! "$build/fuzz/$target" -seed=1 -max_total_time="$seconds" \
            -dict="$root/fuzz/config.dict" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$artifacts/$target-" "$corpus"; then
        failed+=("$target")
        for file in "$artifacts/$target"-*; do
            [[ -f $file ]] || continue
            echo "--- reproducer $file"
            od -A d -c "$file" | head -n 40
        done
    fi
done

if [[ ${#failed[@]} -gt 0 ]]; then
    echo "fuzzing found problems in: ${failed[*]}" >&2
    exit 1
fi
echo "fuzzing found nothing in: ${targets[*]}"
