#!/usr/bin/env bash
# The real viewer in a virtual display with the generated scene: console,
# window, title, the two ways out (Escape, the close button), a machine
# without sound and one without a display; a watched model reloading; a
# model turned, zoomed and framed again in the orbit camera, seen
# orthographically, its clip's timeline dragged; the next file of the
# folder; the view saved.
# Screenshots go to the given folder.
# Usage: window.sh <viewer> <close_window helper> <generated QM folder> <screenshot folder> <test data folder>
set -u
viewer=$(realpath "$1")
close_window=$(realpath "$2")
assets=$(realpath "$3")
shots=$4
data=$(realpath "$5")
mkdir -p "$shots"
source "$(dirname "$0")/lib.sh"

# A screenshot of the window: the window shows a picture (not black, not one
# flat colour). What the picture holds is the reference views' test.
screenshot() {
    local file="$shots/$1.png" mean spread
    import -window "$window" "$file" 2>/dev/null || { fail "no screenshot $1"; return; }
    mean=$(convert "$file" -format '%[fx:mean]' info:)
    spread=$(convert "$file" -format '%[fx:standard_deviation]' info:)
    awk -v m="$mean" -v s="$spread" 'BEGIN { exit !(m > 0.04 && s > 0.02) }' ||
        fail "screenshot $1: mean $mean, spread $spread"
}

# Holds a key for a while, then waits for the next frame or two to show it.
hold_key() {
    xdotool windowfocus --sync "$window" && xdotool keydown --window "$window" "$1"
    sleep "$2"
    xdotool keyup --window "$window" "$1"
    sleep 2
}

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
    check_scene_console "$dir"
    [ "$failures" -eq "$before" ] && pass
fi

# The close button quits with 0.
case_name=close-button
before=$failures
dir=$(make_runtime)
SDL_AUDIODRIVER=dummy start_viewer "$dir"
if check_running_window "$dir"; then
    "$close_window" "$window"
    wait_viewer
    [ "$rc" -eq 0 ] || fail "exit code $rc"
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

# Waits up to 20 s for the viewer's console to hold a line matching $1 $2 times.
wait_for_line() {
    for _ in $(seq 200); do
        [ "$(grep -c -- "$1" "$dir/stdout")" -ge "$2" ] && return 0
        sleep 0.1
    done
    fail "no '$1' (${2}x) on the console: $(tail -n 3 "$dir/stdout")"
    return 1
}

# --watch on a copy of a model: a changed picture it refers to and another
# model saved over it each reload it and change the window's picture; a
# half-written file keeps the picture and the viewer, and the next save
# reloads again.
case_name=watch
before=$failures
dir="$work/watch"
mkdir -p "$dir/model"
cp "$data"/formats/box.{gltf,bin,png} "$dir/model/"
viewer_args=(--resolution 640x360 --watch "$dir/model/box.gltf")
SDL_AUDIODRIVER=dummy start_viewer "$dir"
unset viewer_args
if check_running_window "$dir"; then
    sleep 2
    screenshot watch-box
    convert "$dir/model/box.png" -negate "$dir/model/box.png"
    if wait_for_line '^Reloaded .*box.gltf in [0-9]* ms\.$' 1; then
        sleep 1
        screenshot watch-picture
        [ "$(changed "$shots/watch-box.png" "$shots/watch-picture.png")" -gt 100 ] ||
            fail "the changed picture does not show"
    fi
    # Saved as editors do: written aside, renamed into place.
    cp "$data/materials/spheres.gltf" "$dir/model/saving" && mv "$dir/model/saving" "$dir/model/box.gltf"
    if wait_for_line '^Reloaded ' 2; then
        sleep 1
        screenshot watch-spheres
        [ "$(changed "$shots/watch-picture.png" "$shots/watch-spheres.png")" -gt 1000 ] ||
            fail "the other model does not show"
    fi
    head -c 4000 "$data/materials/spheres.gltf" >"$dir/model/box.gltf"
    if wait_for_line '^Could not reload .*box.gltf; keeping the current scene\.$' 1; then
        sleep 1
        screenshot watch-half-written
        [ "$(changed "$shots/watch-spheres.png" "$shots/watch-half-written.png")" -lt 100 ] ||
            fail "a half-written file changed the picture"
        kill -0 "$pid" 2>/dev/null || fail "the viewer ended on a half-written file"
    fi
    cp "$data/materials/spheres.gltf" "$dir/model/box.gltf"
    wait_for_line '^Reloaded ' 3
    quit_with_escape
fi

# Starts the viewer on a model (with options) in a 640x360 window, its
# output in the case's folder $dir; true when its window shows.
view_model() {
    dir="$work/$case_name"
    mkdir -p "$dir"
    viewer_args=(--resolution 640x360 "$@")
    SDL_AUDIODRIVER=dummy start_viewer "$dir"
    unset viewer_args
    check_running_window "$dir"
}

# What the model covers in the window: the pixels that change when the
# exposure goes down (key 1 held) and back up (key 2), since the sky is
# drawn after the exposure. Writes them white on black into $shots/$1-mask.png;
# sets $covered, their count, and $middle, their count in the middle tenth
# of the picture's width and height (64 x 36 = 2304 pixels; a model kept in
# the middle covers three quarters of them or more).
coverage() {
    local bright="$shots/$1.png" dim="$shots/$1-dim.png" mask="$shots/$1-mask.png"
    screenshot "$1"
    hold_key 1 1.2
    import -window "$window" "$dim" 2>/dev/null
    hold_key 2 1.2
    compare -fuzz 2% "$bright" "$dim" -compose src -highlight-color white -lowlight-color black "$mask" 2>/dev/null
    covered=$(convert "$mask" -format '%[fx:int(mean*w*h+0.5)]' info:)
    middle=$(convert "$mask" -gravity center -crop 10%x10%+0+0 +repage -format '%[fx:int(mean*w*h+0.5)]' info:)
}

# Double-clicks at ($1, $2) and, once the view has eased, measures the coverage as $3.
double_click() {
    xdotool mousemove --window "$window" "$1" "$2" click --repeat 2 --delay 80 1
    sleep 1.5
    coverage "$3"
}

# Presses key $1 and takes screenshot $2; sets $corner, how many pixels of
# the quarter at offset $3 (+0+0 top left, +320+0 top right) differ from
# screenshot orbit-no-help.
key_changes_corner() {
    xdotool key --window "$window" "$1"
    sleep 1.5
    screenshot "$2"
    corner=$(changed_in "$shots/orbit-no-help.png" "$shots/$2.png" "320x180$3")
}

# A user's model in the orbit camera: a left-drag turns it, the model still
# in the middle; the wheel brings it closer, covering more and still whole
# in the middle (zoomed towards the cursor there); Home frames it again as
# at the start; a double-click makes the point clicked the middle; F1
# shows the help card and takes it away; I shows the model's numbers; C
# steps through the file's cameras.
case_name=orbit
before=$failures
if view_model "$data/fbx/duck.fbx"; then
    sleep 2
    coverage orbit-start
    start=$covered
    [ "$middle" -gt 1728 ] || fail "the model covers $middle of the middle's 2304 pixels at the start"
    xdotool mousemove --window "$window" 320 180 mousedown 1 mousemove --window "$window" 400 180 sleep 0.2 \
        mousemove --window "$window" 480 180 mouseup 1
    sleep 1.5
    coverage orbit-turned
    turned=$(changed "$shots/orbit-start-mask.png" "$shots/orbit-turned-mask.png")
    [ "$turned" -gt 2000 ] || fail "a drag turned only $turned pixels of the model's outline"
    [ "$middle" -gt 1728 ] || fail "turned, the model covers $middle of the middle's 2304 pixels"
    xdotool mousemove --window "$window" 320 180
    for _ in 1 2 3 4; do xdotool click --window "$window" 4; done
    sleep 1.5
    coverage orbit-closer
    [ "$covered" -gt $((start * 3 / 2)) ] || fail "zoomed in, the model covers $covered pixels, at the start $start"
    [ "$middle" -gt 1728 ] || fail "zoomed in, the model covers $middle of the middle's 2304 pixels"
    xdotool key --window "$window" Home
    sleep 1.5
    coverage orbit-home
    home=$(changed "$shots/orbit-start-mask.png" "$shots/orbit-home-mask.png")
    # The exposure comes back only near where it was: edge pixels may fall
    # either side of the fuzz, about an outline's worth (a turn moved 5,000).
    [ "$home" -lt 1000 ] || fail "after Home, $home pixels of the model's outline differ from the start"
    # A double-click on the model turns the view to the point clicked, now
    # in the middle; one on the sky frames the model again.
    double_click 370 150 orbit-picked
    picked=$(changed "$shots/orbit-start-mask.png" "$shots/orbit-picked-mask.png")
    [ "$picked" -gt 2000 ] || fail "a double-click moved only $picked pixels of the model's outline"
    [ "$middle" -gt 1728 ] || fail "after a double-click, the model covers $middle of the middle's 2304 pixels"
    double_click 20 20 orbit-sky
    home=$(changed "$shots/orbit-start-mask.png" "$shots/orbit-sky-mask.png")
    [ "$home" -lt 1000 ] || fail "after a double-click on the sky, $home pixels of the model's outline differ"
    # F1 shows the help card in the top left corner, and takes it away.
    screenshot orbit-no-help
    key_changes_corner F1 orbit-help +0+0
    [ "$corner" -gt 20000 ] || fail "F1 changed only $corner pixels of the top left quarter"
    xdotool key --window "$window" F1
    sleep 1.5
    screenshot orbit-help-gone
    gone=$(changed "$shots/orbit-no-help.png" "$shots/orbit-help-gone.png")
    [ "$gone" -lt 100 ] || fail "F1 again left $gone pixels changed"
    # I shows the model's numbers in the top right corner.
    key_changes_corner i orbit-info +320+0
    [ "$corner" -gt 20000 ] || fail "I changed only $corner pixels of the top right quarter"
    # C looks through the file's one camera, then frames the model again.
    xdotool key --window "$window" c c
    wait_for_line '^Camera 1 of 1: "camera1"$' 1 && wait_for_line '^The whole model framed\.$' 1
    quit_with_escape
fi

# The width in pixels of the model's outline in mask $1 at $2 and at $3
# hundredths of its height from the top: sets $width_a and $width_b.
outline_widths() {
    local mask="$shots/$1-mask.png" w h x y
    IFS='x+' read -r w h x y <<<"$(convert "$mask" -format '%@' info:)"
    width_a=$(convert "$mask" -crop "640x1+0+$((y + h * $2 / 100))" +repage -format '%[fx:int(mean*w+0.5)]' info:)
    width_b=$(convert "$mask" -crop "640x1+0+$((y + h * $3 / 100))" +repage -format '%[fx:int(mean*w+0.5)]' info:)
}

# Keypad 5: a house seen from the front and a little above has walls that
# narrow towards the ground in perspective and stay upright (as wide at
# the eaves as at the ground) orthographically. G lays a grid under it, V
# puts its file's first material variant on.
case_name=orthographic
before=$failures
if view_model "$data/formats/box-variants.gltf"; then
    sleep 2
    xdotool key --window "$window" KP_1
    xdotool mousemove --window "$window" 320 100 mousedown 1 mousemove --window "$window" 320 150 sleep 0.2 \
        mousemove --window "$window" 320 200 mouseup 1
    sleep 1.5
    coverage perspective
    outline_widths perspective 60 95
    [ $((width_a - width_b)) -ge 6 ] || fail "in perspective the walls are $width_a and $width_b pixels wide"
    xdotool key --window "$window" KP_5
    sleep 1.5
    coverage orthographic
    outline_widths orthographic 60 95
    [ "$width_a" -gt 0 ] && [ $((width_a - width_b)) -le 2 ] && [ $((width_b - width_a)) -le 2 ] ||
        fail "orthographic, the walls are $width_a and $width_b pixels wide"
    xdotool key --window "$window" g
    sleep 1.5
    screenshot grid
    ground=$(changed_in "$shots/orthographic.png" "$shots/grid.png" 640x90+0+270)
    [ "$ground" -gt 1000 ] || fail "G changed only $ground pixels of the ground"
    # V puts the file's first material variant on: grey walls.
    xdotool key --window "$window" v
    wait_for_line '^Material variant 1 of 2: "Grey"\.$' 1
    sleep 1.5
    screenshot variant
    walls=$(changed_in "$shots/grid.png" "$shots/variant.png" 160x120+240+120)
    [ "$walls" -gt 2000 ] || fail "V changed only $walls pixels of the house"
    quit_with_escape
fi

# The timeline of a clip: paused, then its bar dragged to near the end,
# the clip stands there (Space says where it plays on from) and the view
# has not turned with the drag.
case_name=timeline
before=$failures
if view_model "$data/animation/skinned-bar.gltf"; then
    sleep 2
    xdotool key --window "$window" space
    wait_for_line '^Paused at ' 1
    screenshot timeline-paused
    xdotool mousemove --window "$window" 300 327 mousedown 1 mousemove --window "$window" 450 327 sleep 0.2 \
        mousemove --window "$window" 600 327 sleep 0.5 mouseup 1
    sleep 1
    screenshot timeline-scrubbed
    xdotool key --window "$window" space
    if wait_for_line '^Playing from ' 1; then
        from=$(sed -n 's/^Playing from \([0-9.]*\) s\.$/\1/p' "$dir/stdout")
        awk -v t="$from" 'BEGIN { exit !(t > 1.5 && t <= 2) }' || fail "after the drag, playing from $from s"
    fi
    sky=$(changed_in "$shots/timeline-paused.png" "$shots/timeline-scrubbed.png" 160x60+0+0)
    [ "$sky" -lt 100 ] || fail "the drag on the timeline turned the view ($sky pixels of the sky changed)"
    quit_with_escape
fi

# Page Down and Page Up (and the arrows) step through the model files of
# the folder, round the end, naming each in the console and the title; one
# that cannot be read is named and passed over. F12 saves the view into
# the pictures folder.
case_name=next-file
before=$failures
dir="$work/next-file"
mkdir -p "$dir/models" "$dir/pictures"
cp "$data"/formats/box.{obj,mtl,gltf,bin,png,ply} "$dir/models/"
mv "$dir/models/box.obj" "$dir/models/a.obj" && mv "$dir/models/box.gltf" "$dir/models/b.gltf"
mv "$dir/models/box.ply" "$dir/models/d.ply"
echo "not a model" >"$dir/models/c.stl"
viewer_args=(--resolution 640x360 "$dir/models/b.gltf")
XDG_PICTURES_DIR="$dir/pictures" SDL_AUDIODRIVER=dummy start_viewer "$dir"
unset viewer_args
if check_running_window "$dir"; then
    [[ $(xdotool getwindowname "$window") == *" - b.gltf (2/4)" ]] || fail "title: $(xdotool getwindowname "$window")"
    xdotool windowfocus --sync "$window" && xdotool key --window "$window" Next
    if wait_for_line '^Ready in ' 2; then
        grep -qx "Opening c.stl (3/4)" "$dir/stdout" || fail "stdout: $(grep Opening "$dir/stdout")"
        grep -q "^Could not open \"$dir/models/c.stl\": " "$dir/stderr" || fail "stderr: $(cat "$dir/stderr")"
        grep -qx "Opening d.ply (4/4)" "$dir/stdout" || fail "stdout: $(grep Opening "$dir/stdout")"
        sleep 1
        [[ $(xdotool getwindowname "$window") == *" - d.ply (4/4)" ]] || fail "title: $(xdotool getwindowname "$window")"
    fi
    xdotool key --window "$window" F12
    if wait_for_line '^Saved the view as ' 1; then
        picture=$(sed -n 's/^Saved the view as //p' "$dir/stdout")
        [[ $picture == "$dir/pictures/d-"*.png ]] || fail "saved as $picture"
        [ "$(identify -format '%wx%h' "$picture" 2>/dev/null)" = 640x360 ] || fail "$picture is no 640x360 picture"
    fi
    xdotool key --window "$window" Right
    # Escape while a file is read cancels the read, not the viewer.
    wait_for_line '^Opening a.obj (1/4)$' 1 && wait_for_line '^Ready in ' 3
    quit_with_escape
fi

# No display: one clear line and a non-zero exit, not a crash and not a
# viewer running unseen on SDL's offscreen fallback. (The sound libraries
# may add lines of their own before it.)
case_name=no-display
before=$failures
dir=$(make_runtime)
(cd "$dir" && QUILLMOOR_DATA="$dir" timeout 60 env -u DISPLAY -u WAYLAND_DISPLAY "$viewer" >"$dir/stdout" 2>"$dir/stderr")
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
[ "$(grep -c "^SDL initialisation failed: .\+" "$dir/stderr")" -eq 1 ] || fail "stderr: $(cat "$dir/stderr")"
[ "$failures" -eq "$before" ] && pass

finish
