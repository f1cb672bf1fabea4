#!/usr/bin/env bash
# The programs as installed with `cmake --install` into a fresh prefix: both run a scene from an
# empty folder with their data found beside them, silently; a working directory that holds a
# data file is still where the files are read from; with the data folder gone, the one line
# after the per-file messages says where the program looked and what to do.
# Usage: installed_programs.sh <veltrava binary> <data folder>; needs DISPLAY, and
# VELTRAVA_BUILD_DIR and VELTRAVA_CMAKE (set by the test's definition).
set -u

title='^Veltrava Corrento$'
source "$(dirname "${BASH_SOURCE[0]}")/lib/demo.bash"
convert=/usr/bin/convert

prefix=$work/prefix
"${VELTRAVA_CMAKE:-cmake}" --install "${VELTRAVA_BUILD_DIR:?}" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "cmake --install failed: $(tail -3 "$work/install.log")"
for file in bin/veltrava bin/veltrava-sim share/veltrava/skydome.jpg share/veltrava/skydome1.jpg \
    share/veltrava/texture.jpg share/veltrava/normal.jpg share/veltrava/phong.vert \
    share/veltrava/phong.frag; do
    [ -s "$prefix/$file" ] || fail "cmake --install left out $file"
done
repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
if [ -d "$repo/examples" ]; then
    [ -n "$(ls -A "$prefix/share/veltrava/examples" 2>/dev/null)" ] ||
        fail "cmake --install left out the example worlds"
fi

empty=$work/empty
mkdir "$empty"
# sim <folder> <arguments...>: runs the installed veltrava-sim headless in the folder.
sim() {
    (cd "$1" && env -u DISPLAY timeout 60 "$prefix/bin/veltrava-sim" --headless "${@:2}" \
        >"$work/stdout" 2>"$work/stderr")
}

sim "$empty" --scene 2 --seconds 2 --json "$work/run.json"
rc=$?
[ "$rc" = 0 ] || fail "installed veltrava-sim in an empty folder exited $rc"
[ -s "$work/stderr" ] && fail "installed veltrava-sim did not find its data"
grep -q '^Error' "$work/stdout" && fail "shader errors: $(grep '^Error' "$work/stdout")"
grep -q '^scene 2: 125 frames' "$work/stdout" || fail "no summary: $(head -3 "$work/stdout")"
[ -z "$(ls -A "$empty")" ] || fail "the run left files in the working directory: $(ls "$empty")"

# A working directory with one data file of its own is where the files are read from: its
# broken shader is reported by the name it has there, the missing images too, and no hint.
own=$work/own
mkdir "$own"
echo 'void main( {' >"$own/phong.frag"
sim "$own" --scene 1 --seconds 0.1
grep -qx 'Error compiling fragment shader: phong.frag' "$work/stdout" ||
    fail "the working directory's phong.frag was not the one read: $(head -2 "$work/stdout")"
grep -qx "can't open skydome.jpg" "$work/stderr" || fail "no message for the missing sky image"
grep -q 'found none of the data files' "$work/stderr" && fail "hint although phong.frag is there"

# Nothing anywhere: the per-file messages, then one line naming where it looked.
mv "$prefix/share/veltrava" "$prefix/share/moved"
sim "$empty" --scene 1 --seconds 0.1
rc=$?
[ "$rc" = 0 ] || fail "exit code $rc without data files, expected 0 (the scene runs untextured)"
last=$(tail -1 "$work/stderr")
case "$last" in
"veltrava-sim: found none of the data files"*"in the working directory $empty, $prefix/share/veltrava or $prefix/bin/data;"*"build/data"*"cmake --install"*) ;;
*) fail "the last line is not the hint: $last" ;;
esac
[ "$(grep -c 'found none' "$work/stderr")" = 1 ] || fail "the hint is not one line"
mv "$prefix/share/moved" "$prefix/share/veltrava"

# The demo from the empty folder shows its sky, not a white screen.
start_demo "$prefix/bin/veltrava" "$empty"
choose 1
poll 100 menu_gone || fail "the menu did not close"
sky_seen() {
    import -window "$win" "$work/shot.png" 2>/dev/null || return 1
    blue=$("$convert" "$work/shot.png" -scale 100x75! -fx '(b-r>0.15 && b>0.6)?1:0' \
        -format '%[fx:mean]' info:)
    awk -v a="$blue" 'BEGIN { exit !(a > 0.05) }'
}
poll 100 sky_seen || fail "no day sky in the installed demo's Scene 1 (share ${blue:-none})"
[ -s "$work/stderr" ] && fail "the installed demo did not find its data"
grep -q '^Error' "$work/stdout" && fail "shader errors in the installed demo"

echo "PASS: the installed programs find their data from any folder"
