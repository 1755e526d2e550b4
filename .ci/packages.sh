#!/usr/bin/env bash
# Packaging stage: from a clean clone of the committed tree, the Debian
# packages (checked by lintian, installed with apt-get, used by the consumer
# projects, the program and Python, then purged with nothing left behind), the
# Python wheel and sdist (the wheel installed offline into a fresh virtual
# environment and tested there) and the VS Code extension (.vsix).
# Installs what it needs itself. Usage: .ci/packages.sh [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
source_tree=$PWD
work=${1:-$source_tree/build/packages}
started=$SECONDS

# Debian's own tools: not a python3 or cmake found earlier on PATH.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
export DEBIAN_FRONTEND=noninteractive

step() { printf -- '--- %s (%d s)\n' "$1" $((SECONDS - started)); }
fail() {
    echo "packages.sh: $*" >&2
    exit 1
}

step "tools"
need=()
for pkg in git cmake g++ make pkg-config nlohmann-json3-dev debhelper dh-python python3-all \
    pybuild-plugin-pyproject python3-build python3-setuptools python3-wheel python3-venv lintian; do
    dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
# The machine may have Node.js from elsewhere, with its own npm.
command -v node >/dev/null && command -v npm >/dev/null || need+=(nodejs npm)
if [ ${#need[@]} -gt 0 ]; then
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

# One version everywhere: the project's, the Debian changelog's, the Python
# package's and the extension's.
version=$(sed -n 's/^project(pexilon_config_parser VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for other in "$(dpkg-parsechangelog -S Version)" \
    "$(sed -n 's/^__version__ = "\(.*\)"$/\1/p' python/src/pexilon_config/__init__.py)" \
    "$(node -p 'require("./editors/vscode/package.json").version')"; do
    [ "$other" = "$version" ] || fail "version $other differs from the project's $version"
done

step "clean clone"
rm -rf "$work"
mkdir -p "$work"
git clone -q --no-hardlinks "$source_tree" "$work/src"
src=$work/src
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)

step "Debian packages (dpkg-buildpackage -b, without the tests)"
# No debug symbol packages: they are not installed here, and lintian would
# spend most of its time on them.
(cd "$src" && DEB_BUILD_OPTIONS="nocheck noautodbgsym parallel=2" dpkg-buildpackage -b -us -uc \
    -Pnocheck >"$work/dpkg-buildpackage.log" 2>&1) ||
    { tail -n 60 "$work/dpkg-buildpackage.log"; fail "dpkg-buildpackage failed"; }
changes=$(echo "$work"/*.changes)
debs=("$work"/*.deb)
packages=()
for deb in "${debs[@]}"; do
    packages+=("$(dpkg-deb -f "$deb" Package)")
    printf '%-55s %7d bytes, installed %5s KiB; Depends: %s\n' "$(basename "$deb")" \
        "$(stat -c %s "$deb")" "$(dpkg-deb -f "$deb" Installed-Size)" \
        "$(dpkg-deb -f "$deb" Depends)"
done

step "lintian (no error, no warning)"
# Informational tags are shown too; the overrides in debian/ say why each
# silenced one is right.
lintian_status=0
lintian --info --fail-on error,warning "$changes" >"$work/lintian.log" 2>&1 || lintian_status=$?
grep -v 'root privileges' "$work/lintian.log" || echo "lintian: no tags"
[ "$lintian_status" = 0 ] || fail "lintian found errors or warnings"

# Whatever happens from here on, the machine is left without the packages.
purge() { apt-get purge -y -qq "${packages[@]}" >/dev/null 2>&1 || true; }
trap purge EXIT

step "apt-get install ./*.deb"
(cd "$work" && apt-get install -y -qq --no-install-recommends ./*.deb) >"$work/apt-install.log" 2>&1 ||
    { cat "$work/apt-install.log"; fail "apt-get install of the packages"; }
dpkg -L "${packages[@]}" | sort -u >"$work/installed-files"

step "consumers against /usr"
# The check library carries its own release, the one its header gives.
check_version=$(sed -n 's/^#define PEXILON_CONFIG_CHECK_VERSION_STRING "\(.*\)"$/\1/p' \
    "$src/include/pexilon/config_check.h")
for consumer in pkgconfig_consumer cmake_consumer check_consumer; do
    PEXILON_INSTALLED_PREFIX=/usr sh "$src/tests/consumers/$consumer.sh" \
        "$src/obj-$multiarch" "$src" "lib/$multiarch" "$version" 1 cmake "$check_version"
done

step "the program, its files, and Python against /usr"
sample=$src/examples/sample.conf
[ "$(command -v pexilon-config)" = /usr/bin/pexilon-config ] || fail "pexilon-config not in /usr/bin"
pexilon-config --version | grep -qF "$version" || fail "pexilon-config --version"
pexilon-config check "$sample" || fail "pexilon-config check on the sample"
pexilon-config json "$sample" >"$work/program.json"
zcat /usr/share/man/man1/pexilon-config.1.gz | cmp -s - "$src/doc/pexilon-config.1" ||
    fail "the manual page is not doc/pexilon-config.1"
bash -c '. /usr/share/bash-completion/completions/pexilon-config && complete -p pexilon-config' ||
    fail "the bash completion defines no completion"
cmp -s /usr/share/pexilon-config/textmate/pexilon.tmLanguage.json \
    "$src/editors/textmate/pexilon.tmLanguage.json" || fail "TextMate grammar"
for f in syntax ftdetect; do
    [ -f "/usr/share/vim/vimfiles/$f/pexilon.vim" ] || fail "no vim $f file"
done
# The Debian Python package carries no library: it loads the system's.
(cd "$work" && /usr/bin/python3 -B -c '
import pexilon_config._parse as p, pexilon_config as c, sys
assert c.__file__.startswith("/usr/lib/python3/dist-packages/"), c.__file__
assert p.Parser().path == "libpexilon_config_parser.so.1", p.Parser().path
assert c.check(sys.argv[1]) == [], "the sample is clean"
' "$sample") || fail "python3-pexilon-config"
(cd "$work" && /usr/bin/python3 -B -m pexilon_config json "$sample" >"$work/python.json")
cmp -s "$work/program.json" "$work/python.json" || fail "python3 -m pexilon_config json differs"

step "apt-get purge"
apt-get purge -y -qq "${packages[@]}" >"$work/apt-purge.log" 2>&1 ||
    { cat "$work/apt-purge.log"; fail "apt-get purge"; }
trap - EXIT
for pkg in "${packages[@]}"; do
    dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null | grep -qv '^not-installed$' &&
        fail "$pkg is still known to dpkg after the purge"
done
left=$(while read -r path; do
    # Shared folders (/usr/lib, /usr/share/doc...) stay; anything of ours may not.
    if [ -e "$path" ] && { [ ! -d "$path" ] || [[ $path == *pexilon* ]]; }; then echo "$path"; fi
done <"$work/installed-files")
[ -z "$left" ] || fail "left behind after the purge: $left"
echo "purged: no file of the ${#packages[@]} packages left"

step "Python sdist and wheel (python3 -m build --no-isolation)"
# The sdist carries the libraries' source; the wheel is built from it, so its
# libraries are those that CMake builds from the sdist.
python3 -m build --no-isolation --outdir "$work/dist" "$src/python" >"$work/python-build.log" 2>&1 ||
    { tail -n 40 "$work/python-build.log"; fail "python3 -m build"; }
wheel=$(echo "$work"/dist/pexilon_config-"$version"-py3-none-linux_*.whl)
[ -f "$wheel" ] || fail "no platform wheel in $(ls "$work/dist")"
sdist=$(echo "$work"/dist/pexilon[-_]config-"$version".tar.gz)
python3 - "$wheel" "$sdist" <<'PY'
import sys, tarfile, zipfile
names = zipfile.ZipFile(sys.argv[1]).namelist()
for lib in ("libpexilon_config_parser.so.1", "libpexilon_config_check.so.1"):
    assert f"pexilon_config/_lib/{lib}" in names, f"the wheel has no {lib}"
assert "pexilon_config/_bin/pexilon-config" in names, "the wheel has no program"
entry = [n for n in names if n.endswith(".dist-info/entry_points.txt")]
assert entry and b"pexilon-config = pexilon_config._program:main" in \
    zipfile.ZipFile(sys.argv[1]).read(entry[0]), "the wheel installs no pexilon-config command"
sdist = tarfile.open(sys.argv[2]).getnames()
assert any(n.endswith("/native/CMakeLists.txt") for n in sdist), "the sdist has no native/"
PY
ls -l "$work/dist" | tail -n +2

step "the wheel in a fresh virtual environment, offline, its tests"
# The program and the libraries the tests compare with come from the Debian
# build tree; the system has no library now, so the wheel's own copies load.
obj=$src/obj-$multiarch
cc -std=c99 -I"$src/include" -o "$work/layout_probe" "$src/python/tests/layout_probe.c"
PEXILON_TEST_PROGRAM=$obj/tools/pexilon-config PEXILON_TEST_PARSER=$obj/libpexilon_config_parser.so \
    PEXILON_TEST_CHECK=$obj/src/check/libpexilon_config_check.so \
    PEXILON_TEST_PROBE=$work/layout_probe PEXILON_TEST_SOURCE=$src PEXILON_TEST_VERSION=$version \
    sh "$src/python/tests/run_installed.sh" /usr/bin/python3 "$wheel" "$work/wheel-test" \
    >"$work/wheel-test.log" 2>&1 || { cat "$work/wheel-test.log"; fail "the wheel's tests"; }
tail -n 3 "$work/wheel-test.log"

step "VS Code extension (.vsix)"
ext=$src/editors/vscode
# A registry that cannot be reached says so at once, not after npm's retries.
npm ping --fetch-retries=0 --fetch-timeout=30000 >/dev/null 2>&1 ||
    fail "the npm registry cannot be reached ($(npm config get registry)): the .vsix needs it"
(cd "$ext" && npm ci --no-audit --no-fund --fetch-retries=1 \
    >"$work/npm.log" 2>&1) || { cat "$work/npm.log"; fail "npm ci in editors/vscode"; }
vsix=$work/pexilon-config-$version.vsix
(cd "$ext" && npm run package -- -o "$vsix" \
    >"$work/vsce.log" 2>&1) || { cat "$work/vsce.log"; fail "vsce package"; }
mkdir "$work/vsix"
python3 -m zipfile -e "$vsix" "$work/vsix"
x=$work/vsix/extension
cmp -s "$x/syntaxes/pexilon.tmLanguage.json" "$src/editors/textmate/pexilon.tmLanguage.json" ||
    fail "the .vsix does not hold editors/textmate's grammar"
cmp -s "$x/language-configuration.json" "$ext/language-configuration.json" ||
    fail "the .vsix does not hold the language configuration"
[ -f "$x/node_modules/vscode-languageclient/node.js" ] || fail "the .vsix does not hold the client"
for f in README.md detect.js LICENSE.txt; do
    [ -f "$x/$f" ] || fail "the .vsix does not hold $f"
done
[ ! -e "$x/node_modules/@vscode/vsce" ] || fail "the .vsix holds vsce, a build tool"
node "$ext/test/load.js" "$x"
echo "$(basename "$vsix"): $(stat -c %s "$vsix") bytes, $(python3 -m zipfile -l "$vsix" | tail -n +2 | wc -l) files"

step "packages done"
