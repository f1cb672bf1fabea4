#!/usr/bin/env bash
# The demo started with a scene file, as a user would: the file's world shows at once (the
# day sky, a body at the middle once the camera has turned to its target), the menu's scenes
# still replace it, and Quit ends with code 0. A file that is refused (a broken value, a FIFO)
# ends the demo at start-up with code 2 and one line naming the file, before any window.
# Usage: scene_file.sh <veltrava binary> <data folder>; needs DISPLAY.
set -u

bin=$(realpath "$1")
data=$2
title='^Veltrava Corrento$'
examples=$(realpath "$(dirname "${BASH_SOURCE[0]}")/../../examples")

source "$(dirname "${BASH_SOURCE[0]}")/lib/demo.bash"
source "$(dirname "${BASH_SOURCE[0]}")/lib/pictures.bash"

start_demo "$bin" "$data" --scene-file "$examples/pillars.json"
start=$SECONDS
sleep 2
while :; do
    kill -0 "$pid" 2>/dev/null || fail "the program ended while showing the file's world"
    import -window "$win" "$work/file.png" || fail "no screenshot"
    sky=$(share "$work/file.png" "$day_blue")
    detail=$(centre_detail "$work/file.png")
    above "$sky" 0.05 && above "$detail" 6 && break
    ((SECONDS - start >= 40)) && fail "the file's world not shown within 40 s (sky $sky, centre detail $detail)"
    sleep 0.5
done
echo "file's world shown after $((SECONDS - start)) s: day sky $sky, centre detail $detail"

choose 2
poll 100 menu_gone || fail "the menu stayed open"
sleep 2
import -window "$win" "$work/scene2.png" || fail "no screenshot of Scene 2"
rmse=$(compare -metric RMSE "$work/file.png" "$work/scene2.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
above "$rmse" 0.03 || fail "Scene 2 from the menu looks like the file's world (RMSE $rmse)"
choose 5
poll 100 menu_gone || fail "the menu stayed open"
expect_clean_exit

cp "$examples/pillars.json" "$work/broken.json"
sed -i 's/"radius": 1.2,/"radius": -2,/' "$work/broken.json"
mkfifo "$work/fifo.json"
for file in "$work/broken.json" "$work/fifo.json"; do
    (cd "$data" && timeout 20 "$bin" --scene-file "$file" >"$work/stdout" 2>"$work/stderr")
    rc=$?
    [ "$rc" = 2 ] || fail "exit code $rc for $file, expected 2"
    [ "$(wc -l <"$work/stderr")" = 1 ] && grep -q -- "^veltrava: $file: " "$work/stderr" ||
        fail "$file should give one line naming it on stderr"
    echo "refused: $(cat "$work/stderr")"
done
echo "PASS: a scene file's world at start-up, the menu's scenes after it, Quit with code 0, refused files with code 2 and one line"
