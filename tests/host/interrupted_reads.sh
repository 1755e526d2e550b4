#!/bin/sh
# pexilon-config check FILE with the open or one read of FILE interrupted by
# a signal (EINTR, injected by strace): each run must find nothing to report
# in the clean FILE and exit 0.
#   interrupted_reads.sh PEXILON_CONFIG FILE
set -u
tool=$1
file=$2
if ! strace -o /dev/null true 2>/dev/null; then
    echo "strace cannot trace processes here"
    exit 77
fi
# LeakSanitizer cannot run under a tracer; leaks are looked for elsewhere.
ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
export ASAN_OPTIONS
failed=0
for inject in openat:1 read:1 read:2 read:3; do
    call=${inject%:*}
    when=${inject#*:}
    output=$(strace -o /dev/null -P "$file" -e "inject=$call:error=EINTR:when=$when" \
        "$tool" check "$file")
    status=$?
    if [ "$status" -ne 0 ] || [ -n "$output" ]; then
        echo "interrupted $call number $when: exit $status, output: $output"
        failed=1
    fi
done
exit $failed
