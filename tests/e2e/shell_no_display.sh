#!/usr/bin/env bash
# Without an X display the program and scripts/run stop at once with one clear line on
# stderr and a non-zero exit code; scripts/run says how to get a display and builds nothing.
# Usage: shell_no_display.sh <veltrava binary> <data folder>
set -u

bin=$(realpath "$1")
data=$2
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# check_one_line <name> <exit code> <pattern>: a failure code, empty stdout, one stderr line.
check_one_line() {
    local name=$1 rc=$2 pattern=$3
    [ "$rc" != 0 ] || fail "$name exited 0 without a display"
    [ "$rc" != 124 ] || fail "$name did not stop within the time-out"
    [ ! -s "$work/stdout" ] || fail "$name wrote to stdout: $(head -c 200 "$work/stdout")"
    [ "$(wc -l <"$work/stderr")" = 1 ] || fail "$name wrote $(wc -l <"$work/stderr") lines to stderr, expected 1"
    grep -Eqi "$pattern" "$work/stderr" || fail "$name's message does not match /$pattern/: $(cat "$work/stderr")"
}

(cd "$data" && env -u DISPLAY timeout 20 "$bin" >"$work/stdout" 2>"$work/stderr")
check_one_line veltrava $? 'display'

env -u DISPLAY timeout 20 bash "$repo/scripts/run" >"$work/stdout" 2>"$work/stderr" </dev/null
check_one_line scripts/run $? 'display.*xvfb-run'

echo "PASS: no display gives one line on stderr and a failure code"
