# Shared by the end-to-end scripts (sourced, not run as a test): waiting, and starting the demo
# and finding its window. The caller defines fail() and sets $work (a scratch folder) and
# $title (the window title as a pattern for xdotool).

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

# start_demo <binary> <data folder>: starts the program in its data folder with standard
# output and error in $work, and sets pid, win (its window), win_x and win_y. Windows of earlier
# runs that may still be on this display are not ours.
start_demo() {
    before=$(xdotool search --name "$title" 2>/dev/null | sort)
    cd "$2" || fail "no data folder $2"
    "$1" >"$work/stdout" 2>"$work/stderr" &
    pid=$!
    poll 200 find_window || fail "no window titled 'Veltrava Corrento' within 10 s"
    eval "$(xdotool getwindowgeometry --shell "$win")"
    win_x=$X
    win_y=$Y
}

find_window() {
    win=$(comm -13 <(echo "$before") <(xdotool search --name "$title" 2>/dev/null | sort) | head -1)
    [ -n "$win" ]
}
