#!/bin/sh
# Runs nvim_diagnostics.lua in headless Neovim and compares what it wrote
# with the expected diagnostics.
# Usage: nvim_diagnostics.sh NVIM PROGRAM INPUT EXPECTED
set -eu
nvim=$1 program=$2 input=$3 expected=$4
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
PEXILON_PROGRAM=$program PEXILON_INPUT=$input PEXILON_OUTPUT=$out \
    timeout 60 "$nvim" --headless --clean -n -c "luafile $here/nvim_diagnostics.lua" </dev/null
diff -u "$expected" "$out"
