#!/usr/bin/env bash
# The real viewer in a virtual display: window, title, audio messages, and
# the two ways out (Escape, the close button), plus a run without a display.
# Usage: window.sh <viewer> <close_window helper>
set -u
viewer=$(realpath "$1")
close_window=$(realpath "$2")
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
for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
unset SDL_VIDEODRIVER

# A runtime directory with or without the music (one second of silence).
make_runtime() {
    local dir="$work/$case_name"
    mkdir -p "$dir/QM"
    if [ "$1" = with-music ]; then
        head -c 88200 /dev/zero >"$dir/silence.raw"
        lame --quiet -r -s 22.05 --bitwidth 16 -m m "$dir/silence.raw" "$dir/QM/Lullwave.mp3" 2>/dev/null
    fi
    echo "$dir"
}

# Starts the viewer in the runtime directory; sets $pid and $window.
start_viewer() {
    local dir=$1
    (cd "$dir" && exec "$viewer" >"$dir/stdout" 2>"$dir/stderr") &
    pid=$!
    window=$(timeout 60 xdotool search --sync --name '^Quillmoor - ' 2>/dev/null | head -n 1)
}

# Waits for the viewer to end; sets $rc (124 when it did not end in time).
wait_viewer() {
    for _ in $(seq 300); do
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

press_escape() {
    xdotool windowfocus --sync "$window" && xdotool key --window "$window" Escape
}

# Music present, a working (silent) audio driver: no audio messages; Escape quits with 0.
case_name=music-escape
before=$failures
dir=$(make_runtime with-music)
SDL_AUDIODRIVER=dummy start_viewer "$dir"
if check_running_window "$dir"; then
    sleep 1
    press_escape
    wait_viewer
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ ! -s "$dir/stderr" ] || fail "unexpected stderr: $(cat "$dir/stderr")"
    [ "$failures" -eq "$before" ] && pass
fi

# Music missing: the loading message, the window still runs; the close button quits with 0.
case_name=no-music-close
before=$failures
dir=$(make_runtime without-music)
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
dir=$(make_runtime with-music)
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
dir=$(make_runtime without-music)
(cd "$dir" && timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "$viewer" >"$dir/stdout" 2>"$dir/stderr")
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
[ "$(grep -c "^SDL initialisation failed: .\+" "$dir/stderr")" -eq 1 ] || fail "stderr: $(cat "$dir/stderr")"
[ "$failures" -eq "$before" ] && pass

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
