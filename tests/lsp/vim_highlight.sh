#!/bin/sh
# Runs vim_highlight.vim in headless Neovim with the syntax files of the
# source tree and fails on every row of highlight.kinds shown otherwise.
# Usage: vim_highlight.sh NVIM EDITORS_DIR
set -eu
nvim=$1 editors=$2
here=$(cd "$(dirname "$0")" && pwd)
out=$(mktemp)
trap 'rm -f "$out"' EXIT
PEXILON_OUTPUT=$out timeout 60 "$nvim" --headless --clean --cmd "set rtp^=$editors/vim" \
    -c "source $here/vim_highlight.vim" </dev/null
if [ "$(cat "$out")" != done ]; then
    cat "$out" >&2
    exit 1
fi
