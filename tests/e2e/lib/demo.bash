# Shared by the end-to-end scripts (sourced, not run as a test): failing with the program's
# standard error, a scratch folder $work and the program stopped on exit, waiting, starting the
# demo, finding its window, choosing from its menu and checking how it ended. The caller sets $title (the window title
# as a pattern for xdotool). Needs an X display.

fail() {
    echo "FAIL: $*" >&2
    [ -s "$work/stderr" ] && sed 's/^/  program stderr: /' "$work/stderr" >&2
    exit 1
}

work=$(mktemp -d)
pid=
win=
cleanup() {
    if [ -n "$pid" ]; then
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    await_window_gone
    rm -rf "$work"
}
trap cleanup EXIT

# await_window_gone: waits up to 5 s until the program's window has left the display. The X
# server may give the next program to connect the same window number, and a window still
# listed when the next test looks would hide that program's new window from it.
await_window_gone() {
    local i
    [ -n "$win" ] || return 0
    for ((i = 0; i < 100; i++)); do
        xdotool getwindowname "$win" >/dev/null 2>&1 || return 0
        sleep 0.05
    done
}

[ -n "${DISPLAY:-}" ] || fail "no X display: run under scripts/test or xvfb-run"

# poll <tries of 50 ms> <command...>: true as soon as the command succeeds; fails the test
# when the program has ended meanwhile.
poll() {
    local tries=$1
    shift
    local i
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        kill -0 "$pid" 2>/dev/null || fail "the program ended early"
        sleep 0.05
    done
    return 1
}

# start_demo <binary> <data folder> [arguments...]: starts the program in its data folder with
# standard output and error in $work, and sets pid, win (its window), win_x and win_y. Windows
# of earlier runs that may still be on this display are not ours.
start_demo() {
    before=$(xdotool search --name "$title" 2>/dev/null | sort)
    cd "$2" || fail "no data folder $2"
    "$1" "${@:3}" >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    # The window appears once the first world is built: a scene file, a sanitized build and a
    # busy machine (tests run two at a time) have taken more than 10 s.
    poll 600 find_window || fail "no window titled 'Veltrava Corrento' within 30 s"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    win_x=$X
    win_y=$Y
}

find_window() {
    win=$(comm -13 <(echo "$before") <(xdotool search --name "$title" 2>/dev/null | sort) | head -1)
    [ -n "$win" ]
}

find_menu() {
    menu=$(xdotool search --onlyvisible --name '^freeglut menu$' 2>/dev/null | head -1)
    [ -n "$menu" ]
}
menu_gone() { ! find_menu; }

# choose <entry 1..5>: opens the menu near the window's top-left corner, away from the
# middle, and clicks the entry; entries are 25 pixels high inside a 2-pixel border.
choose() {
    # A click that reaches a window whose program has not yet entered its event loop (a
    # sanitized build on a busy machine) is lost: clicked again, up to three times.
    local attempt
    for attempt in 1 2 3; do
        xdotool mousemove "$((win_x + 40))" "$((win_y + 40))" click --delay 0 3
        poll 100 find_menu && break
        [ "$attempt" = 3 ] && fail "the right button opened no menu in three tries of 5 s"
    done
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 2 + 25 * ($1 - 1) + 12))" click --delay 0 1
    # Out of the picture's way.
    xdotool mousemove "$((win_x + 2))" "$((win_y + 2))"
}

# expect_clean_exit: after "Quit" was chosen, the program ends within 10 s with code 0 and
# nothing on standard error.
expect_clean_exit() {
    local i rc
    for ((i = 0; i < 200; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.05
    done
    kill -0 "$pid" 2>/dev/null && fail "still running 10 s after Quit"
    wait "$pid"
    rc=$?
    pid=
    await_window_gone
    [ "$rc" = 0 ] || fail "exit code $rc after Quit, expected 0"
    [ -s "$work/stderr" ] && fail "unexpected output on stderr"
    return 0
}
