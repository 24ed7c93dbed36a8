#!/usr/bin/env bash
# The real viewer in a virtual display with the generated scene: console,
# window, title, audio messages, the two ways out (Escape, the close button),
# a scene that cannot be read, and a run without a display.
# Screenshots go to the given folder.
# Usage: window.sh <viewer> <close_window helper> <generated QM folder> <screenshot folder>
set -u
viewer=$(realpath "$1")
close_window=$(realpath "$2")
assets=$(realpath "$3")
shots=$4
mkdir -p "$shots"
work=$(mktemp -d)
xvfb_pid=""
failures=0
passes=0

cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }
pass() { echo "ok   [$case_name]"; passes=$((passes + 1)); }

# Xvfb picks a free display and writes its number to the given descriptor.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
# Wait until the server answers, not only until it has named its display:
# on a loaded machine the first clients can otherwise find nobody there.
for _ in $(seq 300); do
    if [ -s "$work/display" ] && DISPLAY=":$(cat "$work/display")" xdotool getmouselocation >/dev/null 2>&1; then
        break
    fi
    sleep 0.1
done
export DISPLAY=":$(cat "$work/display")"
unset SDL_VIDEODRIVER

# A runtime directory whose QM folder links to the generated assets, less
# the files named.
make_runtime() {
    local dir="$work/$case_name"
    mkdir -p "$dir"
    cp -rs "$assets" "$dir/QM"
    for missing in "$@"; do rm -f "$dir/QM/$missing"; done
    echo "$dir"
}

# Starts the viewer in the runtime directory; sets $pid and $window, and
# $shown_early when the window became visible before loading had finished.
# On a loaded machine the X server now and then refuses a client outright;
# a start that found no display while the server answers is tried once more.
start_viewer() {
    launch_viewer "$1"
    if [ -z "$window" ] && grep -q 'no display found' "$1/stderr" &&
        xdotool getmouselocation >/dev/null 2>&1; then
        echo "note [$case_name]: the X server refused the viewer once; starting it again"
        launch_viewer "$1"
    fi
}

launch_viewer() {
    local dir=$1
    (cd "$dir" && exec "$viewer" >"$dir/stdout" 2>"$dir/stderr") &
    pid=$!
    window=""
    shown_early=""
    for _ in $(seq 1200); do
        # Visible first, then the console: the reverse order would race
        # with a window shown just after the console was read.
        local visible
        visible=$(xdotool search --onlyvisible --name '^Quillmoor' 2>/dev/null | head -n 1)
        if [ -n "$visible" ] && ! grep -qx 'Welcome!' "$dir/stdout"; then
            shown_early=yes
        fi
        window=$(xdotool search --name '^Quillmoor - ' 2>/dev/null | head -n 1)
        [ -n "$window" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
}

# Waits for the viewer to end; sets $rc (124 when it did not end in time).
wait_viewer() {
    for _ in $(seq 600); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
        kill -9 "$pid"
        rc=124
    else
        wait "$pid"
        rc=$?
    fi
}

check_running_window() {
    if [ -z "$window" ]; then
        fail "no window titled 'Quillmoor - ...' appeared; stderr: $(cat "$1/stderr")"
        kill -9 "$pid" 2>/dev/null
        return 1
    fi
    local title
    title=$(xdotool getwindowname "$window")
    [[ $title =~ ^Quillmoor\ -\ [0-9]+\.[0-9]{6}$ ]] || fail "title '$title'"
    return 0
}

# A screenshot of the window, checked for basic sanity: not black, not one
# flat colour, and sky (bluer than green) along the top.
screenshot() {
    local file="$shots/$1.png" mean spread top_blue top_green
    import -window "$window" "$file" 2>/dev/null || { fail "no screenshot $1"; return; }
    mean=$(convert "$file" -format '%[fx:mean]' info:)
    spread=$(convert "$file" -format '%[fx:standard_deviation]' info:)
    top_blue=$(convert "$file" -crop 100%x8%+0+0 -format '%[fx:mean.b]' info:)
    top_green=$(convert "$file" -crop 100%x8%+0+0 -format '%[fx:mean.g]' info:)
    awk -v m="$mean" -v s="$spread" -v b="$top_blue" -v g="$top_green" \
        'BEGIN { exit !(m > 0.04 && s > 0.02 && b > 0.05 && b > g) }' ||
        fail "screenshot $1: mean $mean, spread $spread, top blue $top_blue, top green $top_green"
}

# Holds a key for a while, then waits for the next frame or two to show it.
hold_key() {
    xdotool windowfocus --sync "$window" && xdotool keydown --window "$window" "$1"
    sleep "$2"
    xdotool keyup --window "$window" "$1"
    sleep 2
}

press_escape() {
    xdotool windowfocus --sync "$window" && xdotool key --window "$window" Escape
}

expected_console="$work/expected-console"
cat >"$expected_console" <<'TEXT'
Hi! Welcome to Quillmoor!
Controls: 
WASD - movement
Mouse - pan
1 - decrease camera exposure
2 - increase camera exposure
3 - decrease camera focus distance
4 - increase camera focus distance

Please wait on assimp to load the needed files.
Any complaints for the wait time can be directed to:
https://github.com/assimp/assimp. 
Thank you for understanding.

In order to improve the performance, this application uses several level of detail techniques. Please wait while other levels of detail for the scene are being generated.
This might take a few minutes.

LOD models built! Cleaning up, hold tight...

Welcome!
TEXT

# The whole scene, music on a working (silent) audio driver: the console in
# order, no problems reported, the window shown only after loading; Escape
# quits with 0.
case_name=scene-escape
before=$failures
dir=$(make_runtime)
SDL_AUDIODRIVER=dummy start_viewer "$dir"
if check_running_window "$dir"; then
    [ -z "$shown_early" ] || fail "the window was shown before loading had finished"
    sleep 2
    screenshot start
    hold_key w 4
    screenshot forward
    hold_key d 3
    screenshot right
    press_escape
    wait_viewer
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    # The workers' progress lines ("..." per mesh, "Almost there..." once) may interleave.
    grep -vxE '(\.\.\.|Almost there\.\.\.)+' "$dir/stdout" >"$dir/console"
    cmp -s "$expected_console" "$dir/console" || fail "console: $(diff "$expected_console" "$dir/console")"
    [ "$(grep -c 'Almost there' "$dir/stdout")" -eq 1 ] || fail "no single 'Almost there...'"
    [ ! -s "$dir/stderr" ] || fail "unexpected stderr: $(cat "$dir/stderr")"
    [ "$failures" -eq "$before" ] && pass
fi

# A light sphere that cannot be read: the import's message, then exit code 1.
case_name=no-sphere
before=$failures
dir=$(make_runtime sphere.fbx)
(cd "$dir" && SDL_AUDIODRIVER=dummy timeout 120 "$viewer" >"$dir/stdout" 2>"$dir/stderr")
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
grep -q "^Error reading sphere mesh: " "$dir/stderr" || fail "stderr: $(cat "$dir/stderr")"
[ "$failures" -eq "$before" ] && pass

# Music missing: the loading message, the window still runs; the close button quits with 0.
case_name=no-music-close
before=$failures
dir=$(make_runtime Lullwave.mp3)
SDL_AUDIODRIVER=dummy start_viewer "$dir"
if check_running_window "$dir"; then
    "$close_window" "$window"
    wait_viewer
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    grep -qx "Sound file loading issue: .*Lullwave.mp3.*" "$dir/stderr" ||
        fail "stderr: $(cat "$dir/stderr")"
    [ "$(wc -l <"$dir/stderr")" -eq 1 ] || fail "stderr has more than the one line: $(cat "$dir/stderr")"
    [ "$failures" -eq "$before" ] && pass
fi

# No audio device at all: "Sound issue." first, the viewer still runs.
case_name=no-audio-device
before=$failures
dir=$(make_runtime)
SDL_AUDIODRIVER=no-such-driver start_viewer "$dir"
if check_running_window "$dir"; then
    press_escape
    wait_viewer
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ "$(head -n 1 "$dir/stderr")" = "Sound issue." ] || fail "stderr: $(cat "$dir/stderr")"
    [ "$failures" -eq "$before" ] && pass
fi

# No display: one clear line and a non-zero exit, not a crash and not a
# viewer running unseen on SDL's offscreen fallback. (The sound libraries
# may add lines of their own before it.)
case_name=no-display
before=$failures
dir=$(make_runtime)
(cd "$dir" && timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "$viewer" >"$dir/stdout" 2>"$dir/stderr")
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
[ "$(grep -c "^SDL initialisation failed: .\+" "$dir/stderr")" -eq 1 ] || fail "stderr: $(cat "$dir/stderr")"
[ "$failures" -eq "$before" ] && pass

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
