#!/bin/sh
# Installs the build into a temporary prefix, then lets headless Neovim open
# a file with the installed vim files on its runtime path and attach the
# installed `pexilon-config lsp` (nvim_diagnostics.lua); compares what it
# wrote with the expected file.
# Usage: nvim_diagnostics.sh NVIM CMAKE BUILD_DIR INPUT EXPECTED
set -eu
nvim=$1 cmake=$2 build=$3 input=$4 expected=$5
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/pexilon-nvim.XXXXXX")
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }
cp "$input" "$work/module.conf" # a .conf file: only its contents say it is ours
PEXILON_PROGRAM=$prefix/bin/pexilon-config PEXILON_INPUT=$work/module.conf \
PEXILON_OUTPUT=$work/out \
    timeout 60 "$nvim" --headless --clean --cmd "set rtp^=$prefix/share/vim/vimfiles" \
        -c "luafile $here/nvim_diagnostics.lua" </dev/null
diff -u "$expected" "$work/out"
