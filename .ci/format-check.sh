#!/usr/bin/env bash
# Checks every C and C++ file that git knows against .clang-format, so files
# added later are covered without a list to keep up to date.
#
#   .ci/format-check.sh          report the files that differ; exit 1 if any
#   .ci/format-check.sh --fix    reformat them in place
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format-14}

if ! command -v "$clang_format" >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends clang-format-14 >/dev/null
fi

mapfile -t files < <(git ls-files -- '*.c' '*.h' '*.cpp' '*.hpp' '*.cc')
if [[ ${1:-} == --fix ]]; then
    "$clang_format" -i "${files[@]}"
    exit
fi
report=$("$clang_format" --dry-run "${files[@]}" 2>&1 | grep -o '^[^ :]*:[0-9]*:[0-9]*: warning: code should be' || true)
if [[ -n $report ]]; then
    cut -d: -f1 <<<"$report" | sort | uniq -c | awk '{ printf "%s: %d place(s) differ\n", $2, $1 }'
    echo "format: fix with .ci/format-check.sh --fix" >&2
    exit 1
fi
echo "format: ${#files[@]} files match .clang-format"
