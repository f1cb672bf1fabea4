#!/usr/bin/env bash
# The demo with a planner of its own that fails: the message on standard error (one line,
# naming the step) and in the window's title, then the program ends with exit status 3, with
# nothing of the planner left running, even what the planner started.
# Usage: planner_command.sh <veltrava binary> <data folder>
set -u

bin=$(realpath "$1")
data=$2

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

[ -n "${DISPLAY:-}" ] || fail "no DISPLAY: run under Xvfb (scripts/test does)"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Answers nothing after the first state; notes its own pid and a child it leaves running.
planner="sleep 60 & echo \$\$ \$! > $work/pids; read world; read state; exit 6"
(cd "$data" && timeout 60 "$bin" --scene 1 --planner-command "$planner" \
    >"$work/stdout" 2>"$work/stderr")
rc=$?
[ "$rc" = 3 ] || fail "exit status $rc, expected 3 (stderr: $(cat "$work/stderr"))"
grep -q "^veltrava: planner failed at step 1: the planner exited with status 6$" "$work/stderr" ||
    fail "no message naming the step: $(cat "$work/stderr")"
[ "$(grep -c 'planner failed' "$work/stderr")" = 1 ] || fail "the message is not one line"
read -r shell child <"$work/pids" || fail "the planner never ran"
for pid in "$shell" "$child"; do
    for _ in $(seq 50); do
        state=$(awk '{print $3}' "/proc/$pid/stat" 2>/dev/null)
        [ -z "$state" ] || [ "$state" = Z ] && break
        sleep 0.1
    done
    [ -z "$state" ] || [ "$state" = Z ] || fail "process $pid of the planner is still running"
done
echo "planner failure: status 3, message on stderr, no process left"
