# Shared by the end-to-end scripts in a window: a virtual display, runtime
# directories linked to the generated assets (QUILLMOOR_DATA points the
# viewer there), and starting, watching and ending the viewer.
# The sourcing script sets $viewer and $assets first.
source "$(dirname "${BASH_SOURCE[0]}")/cases.sh"

# Xvfb picks a free display and writes its number to the given descriptor.
# -noreset: by default the server resets whenever its last client leaves and
# refuses connections meanwhile; with short-lived xdotool polls that raced with
# the viewer's own connection.
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
cleanup_commands='kill "$xvfb_pid" 2>/dev/null'
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

# A runtime directory whose QM folder links to the generated assets (its
# model replaced by $model when that is set), less the files named.
make_runtime() {
    local dir="$work/$case_name"
    mkdir -p "$dir"
    cp -rs "$assets" "$dir/QM"
    [ -n "${model:-}" ] && ln -sf "$model" "$dir/QM/QM.fbx"
    for missing in "$@"; do rm -f "$dir/QM/$missing"; done
    echo "$dir"
}

# Starts the viewer in the runtime directory; sets $pid and $window, and
# $shown_early when the window became visible before loading had finished.
# Waits $start_tenths tenths of a second (two minutes unless set).
# A start that found no display while the server answers is tried once more,
# so that a refusal by the environment does not read as the viewer's fault.
start_viewer() {
    launch_viewer "$1"
    # Refused: it said so, or it ended before loading began (seen under load
    # with nothing but the Wayland client's complaint on stderr).
    if [ -z "$window" ] && ! kill -0 "$pid" 2>/dev/null &&
        { grep -q 'no display found' "$1/stderr" || [ ! -s "$1/stdout" ]; } &&
        xdotool getmouselocation >/dev/null 2>&1; then
        echo "note [$case_name]: the X server refused the viewer once; starting it again"
        launch_viewer "$1"
    fi
}

# A folder made by make_runtime is the viewer's runtime data; any other only
# collects its output while the viewer finds its own data. It runs from
# $run_from when that is set, with the arguments in $viewer_args.
launch_viewer() {
    local dir=$1 data=""
    [ -d "$dir/QM" ] && data=$dir
    (cd "${run_from:-$dir}" && QUILLMOOR_DATA="$data" exec "$viewer" ${viewer_args[@]+"${viewer_args[@]}"} \
        >"$dir/stdout" 2>"$dir/stderr") &
    pid=$!
    window=""
    shown_early=""
    for _ in $(seq "${start_tenths:-1200}"); do
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
        local state="still running"
        if kill -0 "$pid" 2>/dev/null; then
            kill -9 "$pid" 2>/dev/null
        else
            wait "$pid"
            state="ended with exit code $?"
        fi
        fail "no window titled 'Quillmoor - ...' appeared (the viewer $state); stdout: $(tail -n 3 "$1/stdout"); stderr: $(cat "$1/stderr")"
        return 1
    fi
    local title
    title=$(xdotool getwindowname "$window")
    # A model file's window adds its place in its folder.
    [[ $title =~ ^Quillmoor\ -\ [0-9]+\.[0-9]{6}(\ -\ .+\ \([0-9]+/[0-9]+\))?$ ]] || fail "title '$title'"
    return 0
}

# Escape ends the viewer with 0; the case passes when it added no failure
# since $before.
quit_with_escape() {
    press_escape
    wait_viewer
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    [ "$failures" -eq "$before" ] && pass
}

press_escape() {
    xdotool windowfocus --sync "$window" && xdotool key --window "$window" Escape
}

# The shipped scene's console, byte for byte, and nothing on stderr. The
# workers' progress lines ("..." per mesh, "Almost there..." once) may interleave.
check_scene_console() {
    local dir=$1 expected
    expected="$(dirname "${BASH_SOURCE[0]}")/console.txt"
    grep -vxE '(\.\.\.|Almost there\.\.\.)+' "$dir/stdout" >"$dir/console"
    cmp -s "$expected" "$dir/console" || fail "console: $(diff "$expected" "$dir/console")"
    [ "$(grep -c 'Almost there' "$dir/stdout")" -eq 1 ] || fail "no single 'Almost there...'"
    [ ! -s "$dir/stderr" ] || fail "unexpected stderr: $(cat "$dir/stderr")"
}
