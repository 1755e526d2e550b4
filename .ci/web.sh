#!/usr/bin/env bash
# The page: the program built to WebAssembly with Debian's emscripten, the
# editor bundled from npm, then the browser test in Debian's chromium against
# the native program. Everything comes from Debian or the npm registry; no
# browser or toolchain is downloaded from anywhere else.
set -euo pipefail
cd "$(dirname "$0")/.."

pkgs="emscripten chromium python3 cmake g++ make nlohmann-json3-dev"
# A Node.js and npm that came from elsewhere than Debian do as well.
command -v npm >/dev/null 2>&1 || pkgs="$pkgs nodejs npm"
need=()
for pkg in $pkgs; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
export NODE_PATH=/usr/share/nodejs
(cd web && npm ci --no-audit --no-fund >/dev/null)

# The native program the page is compared with.
if [ ! -x build/default/tools/pexilon-config ]; then
    cmake --preset default >/dev/null
    cmake --build build/default -j2 --target pexilon_config
fi

./dev.sh page --no-serve
node --test tests/web/
