#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the library's and the
# program's sources that git knows, with the compile commands of the default
# preset; any finding fails.
#
#   .ci/tidy-check.sh [FILE...]     (default: every .cpp under src/ and tools/)
set -euo pipefail
cd "$(dirname "$0")/.."
clang_tidy=${CLANG_TIDY:-clang-tidy-14}

if ! command -v "$clang_tidy" >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang-tidy-14 >/dev/null
fi

if [[ $# -gt 0 ]]; then
    files=("$@")
else
    mapfile -t files < <(git ls-files -- 'src/*.cpp' 'tools/*.cpp')
fi
# The compile commands name every source with its flags; configuring (again)
# writes them, with any source added since.
cmake --preset default >/dev/null

# Two at a time (the machine has two cores); each run prints only findings.
# The commands are GCC's: clang is told to pass over GCC-only warning flags.
printf '%s\n' "${files[@]}" |
    xargs -P 2 -n 4 "$clang_tidy" -p build/default --quiet \
        --extra-arg=-Wno-unknown-warning-option 2>/dev/null >"${TMPDIR:-/tmp}/pexilon-tidy.$$" &&
    status=0 || status=$?
if [[ $status -ne 0 ]]; then
    cat "${TMPDIR:-/tmp}/pexilon-tidy.$$"
    rm -f "${TMPDIR:-/tmp}/pexilon-tidy.$$"
    echo "clang-tidy: findings above" >&2
    exit 1
fi
rm -f "${TMPDIR:-/tmp}/pexilon-tidy.$$"
echo "clang-tidy: ${#files[@]} files clean"
