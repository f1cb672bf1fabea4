#!/usr/bin/env bash
# Without an X display the program and scripts/run stop at once with one clear line on
# stderr and a non-zero exit code; scripts/run says how to get a display and builds nothing.
# Both programs answer --help, --version and a bad argument without any display, alike; the
# demo's X options still reach GLUT.
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

# -display reaches GLUT, which names the display it could not open.
(cd "$data" && env -u DISPLAY timeout 20 "$bin" -display :nonexistent.7 >"$work/stdout" 2>"$work/stderr")
check_one_line "veltrava -display" $? 'nonexistent\.7'

for program in "$bin" "$(dirname "$bin")/veltrava-sim"; do
    name=$(basename "$program")
    env -u DISPLAY timeout 20 "$program" --help >"$work/stdout" 2>"$work/stderr"
    rc=$?
    [ "$rc" = 0 ] || fail "$name --help exited $rc"
    [ ! -s "$work/stderr" ] || fail "$name --help wrote to stderr: $(cat "$work/stderr")"
    grep -q -- '--planner default|visibility|orbit|rollout' "$work/stdout" || fail "$name --help lacks --planner"
    grep -q -- '--show-plan' "$work/stdout" || fail "$name --help lacks --show-plan"
    grep -q "the target's bounding sphere" "$work/stdout" || fail "$name --help lacks the plan's legend"

    env -u DISPLAY timeout 20 "$program" --version >"$work/stdout" 2>"$work/stderr"
    rc=$?
    [ "$rc" = 0 ] || fail "$name --version exited $rc"
    grep -Eqx "$name [0-9]+\.[0-9]+\.[0-9]+" "$work/stdout" || fail "$name --version: $(cat "$work/stdout")"
    [ "$(wc -l <"$work/stdout")" = 1 ] || fail "$name --version wrote more than one line"

    env -u DISPLAY timeout 20 "$program" --planner best >"$work/stdout" 2>"$work/stderr"
    rc=$?
    [ "$rc" = 2 ] || fail "$name with a bad argument exited $rc, expected 2"
    check_one_line "$name --planner best" "$rc" \
        "^$name: --planner: must be default, visibility, orbit or rollout, not 'best' \(run '$name --help' for the options\)\$"
done

echo "PASS: no display gives one line on stderr and a failure code"
