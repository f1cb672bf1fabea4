#!/usr/bin/env bash
# The program as a user drives it: the banner, one 800x600 window titled "Veltrava Corrento",
# keys and other buttons ignored, the right-button menu, and "Quit" ending it with code 0;
# an unknown argument gets one line on stderr and code 2, and no window; --scene N shows
# scene N from the start, without a menu choice.
# Usage: shell_window_menu_quit.sh <veltrava binary> <data folder>; needs DISPLAY.
set -u

bin=$(realpath "$1")
data=$2
title='^Veltrava Corrento$'

source "$(dirname "${BASH_SOURCE[0]}")/lib/demo.bash"

start_demo "$bin" "$data"
[ "$WIDTH" = 800 ] && [ "$HEIGHT" = 600 ] || fail "window is ${WIDTH}x${HEIGHT}, expected 800x600"

# The banner is written after the window exists, flushed line by line.
printf '%s\n' \
    "Quennel - Demo program for Bachelor's Thesis" \
    '"Veltrava' \
    'Corrento"' \
    '' \
    '' \
    'Click with the right mouse button in the other window to open the context menu.' \
    "For more information about each scene, see Appendix A of the Bachelor's Thesis." \
    '' >"$work/banner"
banner_size=$(stat -c %s "$work/banner")
banner_written() { [ "$(stat -c %s "$work/stdout")" -ge "$banner_size" ]; }
poll 100 banner_written || fail "banner incomplete after 5 s"
cmp "$work/banner" "$work/stdout" || {
    diff <(cat -A "$work/banner") <(cat -A "$work/stdout") >&2
    fail "banner differs"
}

# Ignored input: keys, a left and a middle click and motion inside the window.
xdotool mousemove "$((win_x + 200))" "$((win_y + 150))"
xdotool key a Escape Return space q
xdotool click --delay 0 1
xdotool click --delay 0 2
xdotool mousemove "$((win_x + 250))" "$((win_y + 180))"

# The right click comes after them in the event stream, so once its menu shows they have all
# been handled. It opens elsewhere, so a menu opened by the left click would be seen.
menu_x=$((win_x + 500))
menu_y=$((win_y + 300))
xdotool mousemove "$menu_x" "$menu_y" click --delay 0 3
find_menu() {
    menu=$(xdotool search --onlyvisible --name '^freeglut menu$' 2>/dev/null | head -1)
    [ -n "$menu" ]
}
poll 100 find_menu || fail "the right button opened no menu within 5 s"
kill -0 "$pid" 2>/dev/null || fail "the program ended on ignored input"
xdotool search --name "$title" | grep -qx "$win" || fail "the window went away on ignored input"

eval "$(xdotool getwindowgeometry --shell "$menu")"
[ "$X" = "$menu_x" ] && [ "$Y" = "$menu_y" ] || fail "menu at $X,$Y, expected at the pointer $menu_x,$menu_y"
# Five entries of 25 pixels inside a 2-pixel border.
[ "$HEIGHT" = 129 ] || fail "menu is $HEIGHT pixels high, expected 129 for five entries"

# "Quit" is the fifth entry.
xdotool mousemove "$((X + WIDTH / 2))" "$((Y + 2 + 25 * 4 + 12))" click --delay 0 1
expect_clean_exit
cmp -s "$work/banner" "$work/stdout" || fail "more than the banner on stdout"

(cd "$data" && timeout 20 "$bin" --bogus >"$work/stdout" 2>"$work/stderr")
rc=$?
[ "$rc" = 2 ] || fail "exit code $rc for --bogus, expected 2"
[ ! -s "$work/stdout" ] || fail "--bogus wrote to stdout: $(head -c 200 "$work/stdout")"
[ "$(wc -l <"$work/stderr")" = 1 ] && grep -q -- '--bogus' "$work/stderr" ||
    fail "--bogus should give one line naming it on stderr"
(cd "$data" && timeout 20 "$bin" --planner best >"$work/stdout" 2>"$work/stderr")
rc=$?
[ "$rc" = 2 ] && [ "$(wc -l <"$work/stderr")" = 1 ] && grep -q -- '--planner' "$work/stderr" ||
    fail "--planner best should give one line naming it on stderr and code 2 (got $rc)"

# Without a scene the frame is cleared to black; with --scene 2 its sky shows by itself.
start_demo "$bin" "$data" --scene 2
scene_drawn() {
    import -window "$win" "$work/start.png" 2>/dev/null &&
        [ "$(/usr/bin/convert "$work/start.png" -colorspace gray -format '%[fx:mean>0.1]' info:)" = 1 ]
}
poll 200 scene_drawn || fail "--scene 2 showed no scene within 10 s"
kill "$pid"
wait "$pid" 2>/dev/null
pid=
echo "PASS: banner, 800x600 window, ignored input, menu of five entries, Quit with code 0, bad argument, --scene"
