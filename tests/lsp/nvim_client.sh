#!/bin/sh
# Installs the build into a temporary prefix, then lets headless Neovim open
# a file with the installed vim files on its runtime path and run SCRIPT, a
# Lua file that attaches the installed `pexilon-config lsp` and writes what
# it saw; compares that with the expected file.
# Usage: nvim_client.sh NVIM CMAKE BUILD_DIR SCRIPT INPUT EXPECTED
set -eu
nvim=$1 cmake=$2 build=$3 script=$4 input=$5 expected=$6
work=$(mktemp -d "${TMPDIR:-/tmp}/pexilon-nvim.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
cp "$input" "$work/module.conf" # a .conf file: only its contents say it is ours
status=0
PEXILON_PROGRAM=$prefix/bin/pexilon-config PEXILON_INPUT=$work/module.conf \
PEXILON_OUTPUT=$work/out \
    timeout 60 "$nvim" --headless --clean --cmd "set rtp^=$prefix/share/vim/vimfiles" \
        -c "luafile $script" </dev/null || status=$?
if [ "$status" -ne 0 ]; then
    [ "$status" -eq 124 ] && echo "nvim_client: $(basename "$script") did not finish within 60 s" >&2
    exit 1
fi
[ -f "$work/out" ] || { echo "nvim_client: $(basename "$script") wrote nothing" >&2; exit 1; }
diff -u "$expected" "$work/out"
