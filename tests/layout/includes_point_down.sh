#!/bin/sh
# The library's folders follow the road of the data, and an include may only
# point down that road: the reader (bytes to events) knows nothing of the
# record it feeds, the record knows nothing of the checker or of the dump.
# Fails on any quoted include of a folder that a source under src/ may not
# reach; system headers (<...>) are not looked at.
#
#   includes_point_down.sh SOURCE_DIR
set -eu
src=$1/src

# What each folder under src/ may include, besides itself. include/pexilon/
# holds the contracts at the bottom of the road; support/ holds what every
# floor uses (the heap hooks, the record helpers, character columns). The
# build holds the same rule (cmake/rooms.cmake); this test also covers the
# public headers, which every room's target sees.
allowed() {
    case $1 in
    support) echo "pexilon" ;;
    reader) echo "support" ;;
    config) echo "pexilon support reader" ;;
    input | dump | document) echo "pexilon support reader config" ;;
    check) echo "pexilon support reader config input" ;;
    format) echo "pexilon support reader config input check document" ;;
    edit) echo "pexilon support reader config document" ;;
    *) return 1 ;;
    esac
}

# The check library's C boundary lies in check/ but sits atop the formatter
# and the edits too, as pexilon_check_format and pexilon_check_document_set
# are among its functions.
above_its_folder() {
    case $1 in
    check/pexilon_check_api.cpp) echo "format" ;;
    check/pexilon_check_edit_api.cpp) echo "document edit" ;;
    esac
}

# Prints a line for every include of `dir` that points elsewhere.
check_folder() { # DIR FOLDER ALLOWED...
    dir=$1 folder=$2
    shift 2
    grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$dir" |
        while IFS= read -r found; do
            target=$(printf '%s\n' "$found" | sed -E 's/.*#[[:space:]]*include[[:space:]]*"([^"]*)".*/\1/')
            top=${target%%/*}
            [ "$top" = "$target" ] && top=$folder # "name.h": beside the source
            ok=0
            file=${found%%:*}
            for name in "$folder" "$@" $(above_its_folder "$folder/${file##*/}"); do
                [ "$top" = "$name" ] && ok=1
            done
            [ "$ok" = 1 ] || echo "FAIL ${found%%:#*}: src/$folder/ may not include from $top/"
        done
}

bad=""
for dir in "$src"/*/; do
    folder=$(basename "$dir")
    if ! may=$(allowed "$folder"); then
        bad="$bad
FAIL src/$folder/ has no place on the road: add it to this test"
        continue
    fi
    # shellcheck disable=SC2086 # the list is split on purpose
    bad="$bad$(check_folder "$dir" "$folder" $may | sed 's/^/\n/')"
done
if [ -n "$bad" ]; then
    printf '%b\n' "$bad" | sed '/^$/d'
    exit 1
fi
echo "every include under src/ points down"
