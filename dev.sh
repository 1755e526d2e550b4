#!/bin/sh
# Developer entry point: installs what a fresh Debian machine lacks, then
# builds and runs. Usage: ./dev.sh demo | test | sanitize | tsan | valgrind |
#                                  fuzz [SECONDS] | coverage | bench |
#                                  page [--no-serve]
set -eu
cd "$(dirname "$0")"

# command:package, header:package or -:package (asks dpkg) pairs that every task needs
base_needs="cmake:cmake g++:g++ make:make pkg-config:pkg-config python3:python3
/usr/include/gtest/gtest.h:libgtest-dev /usr/include/gmock/gmock.h:libgmock-dev
/usr/include/nlohmann/json.hpp:nlohmann-json3-dev
-:python3-venv -:python3-pip -:python3-setuptools -:python3-wheel -:python3-mypy"

missing_packages() {
    for pair in $*; do
        what=${pair%%:*}
        pkg=${pair#*:}
        case $what in
        -) dpkg -s "$pkg" >/dev/null 2>&1 || printf '%s ' "$pkg" ;; # no single file tells
        /*) [ -e "$what" ] || printf '%s ' "$pkg" ;;
        *) command -v "$what" >/dev/null 2>&1 || printf '%s ' "$pkg" ;;
        esac
    done
}

install_needs() {
    install_packages $(missing_packages "$base_needs" "$@")
}

install_packages() {
    pkgs="$*"
    [ -z "$pkgs" ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "dev.sh: missing packages: $pkgs(run as root, or install them)" >&2
        exit 2
    fi
    echo "dev.sh: installing $pkgs"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $pkgs >/dev/null
}

jobs=$(nproc 2>/dev/null || echo 2)

build() { # preset [extra cmake args]
    preset=$1
    shift
    cmake --preset "$preset" "$@" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
}

task=${1:-}
[ $# -gt 0 ] && shift
case $task in
demo)
    install_needs
    build default
    ./build/default/tools/pexilon-config dump examples/sample.conf
    ;;
test)
    install_needs nvim:neovim pre-commit:pre-commit patch:patch # real clients: an editor, the hook runner, patch
    build default
    ctest --preset default -j "$jobs"
    ;;
sanitize | tsan)
    install_needs
    build "$task"
    ctest --preset "$task" -j "$jobs"
    ;;
coverage)
    install_needs gcovr:gcovr
    build coverage
    # Counters from earlier runs would inflate the figures.
    find build/coverage -name '*.gcda' -delete
    ctest --preset coverage -j "$jobs"
    # The library and the program; tests, benchmark and fuzz targets are the
    # measuring stick, not the measured.
    mkdir -p build/coverage/report
    gcovr --root . --filter 'src/' --filter 'tools/' --filter 'include/' \
        --exclude-unreachable-branches --exclude-throw-branches \
        --txt --print-summary \
        --html-details build/coverage/report/index.html --html-title libpexilon_config_parser \
        build/coverage
    echo "coverage report: build/coverage/report/index.html"
    ;;
valgrind)
    install_needs valgrind:valgrind
    build default
    # Every test program of our own under memcheck; any error or leak fails.
    failed=0
    for t in build/default/tests/test_*; do
        [ -x "$t" ] || continue
        printf 'memcheck %s\n' "${t##*/}"
        PEXILON_SKIP_HEAVY=1 valgrind -q --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
            --errors-for-leak-kinds=definite,indirect "$t" --gtest_brief=1 >/dev/null || failed=1
    done
    [ "$failed" = 0 ] || { echo "dev.sh: memcheck found errors" >&2; exit 1; }
    echo "memcheck: no errors"
    ;;
fuzz)
    install_needs clang:clang clang++:clang
    # The libFuzzer runtime ships apart from clang; run_fuzz.sh asks clang for it.
    ./fuzz/run_fuzz.sh --runtime >/dev/null 2>&1 || install_packages libclang-rt-dev
    ./fuzz/run_fuzz.sh "${1:-60}"
    ;;
bench)
    install_needs
    cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DPEXILON_BUILD_TESTS=OFF >/dev/null
    cmake --build build/release -j "$jobs"
    ./build/release/bench/pexilon_bench "$@"
    ;;
page)
    # The program in WebAssembly and the editor around it, into build/web/.
    install_needs emcc:emscripten npm:npm node:nodejs
    # Debian's emscripten runs its tools on this Node.js, whose modules it
    # finds only there.
    export NODE_PATH=/usr/share/nodejs
    # No browser download: the browser test uses Debian's chromium.
    export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
    [ -d web/node_modules ] && [ web/node_modules/.package-lock.json -nt web/package-lock.json ] ||
        (cd web && npm ci --no-audit --no-fund >/dev/null)
    emcmake cmake --preset web -Wno-dev >/dev/null
    cmake --build --preset web -j "$jobs"
    echo "dev.sh: the page is in build/web/"
    if [ "${1:-}" != --no-serve ]; then
        port=${PEXILON_PAGE_PORT:-8000}
        echo "dev.sh: serving it at http://127.0.0.1:$port/ (Ctrl-C stops)"
        exec python3 -m http.server --bind 127.0.0.1 --directory build/web "$port"
    fi
    ;;
*)
    echo "usage: ./dev.sh demo|test|sanitize|tsan|valgrind|fuzz [SECONDS]|coverage|bench|page [--no-serve]" >&2
    exit 2
    ;;
esac
