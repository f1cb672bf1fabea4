#!/usr/bin/env bash
# Runs one test program of the sanitizer build and passes its exit code on.
# LeakSanitizer stops every thread through a tracer thread of its own before it scans
# memory; once in many runs that tracer itself crashes ("Tracer caught signal"), after
# every test has passed, and the run ends as a failure that says nothing about our code.
# Such a run is repeated, in full and leak-checked again, up to three times: on a loaded
# machine the tracer was seen to crash in two runs in a row. Any other failure stands, and
# so does a crashed tracer in a run where a test failed.
set -u

output=$(mktemp)
trap 'rm -f "$output"' EXIT

run() {
    "$@" >"$output" 2>&1
    local status=$?
    cat "$output"
    return "$status"
}

run "$@" && exit 0
status=$?
for _ in 1 2 3; do
    if ! grep -q "Tracer caught signal" "$output" || grep -q "^\[  FAILED  \]" "$output"; then
        break
    fi
    echo "run-leak-checked: the leak checker's tracer crashed; running $(basename "$1") again"
    run "$@" && exit 0
    status=$?
done
exit "$status"
