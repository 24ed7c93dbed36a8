#!/usr/bin/env bash
# A user's own model files opened from the command line and rendered with
# --screenshot, without any display: every model file of the test data
# shows, placed, lit and coloured as it should be. Also the command line's
# answers to help, version and mistakes. The viewer finds its own runtime
# data; it runs from a scratch folder, with a scene cache of its own. The
# reader group: damaged files, the reader process's limits and the cache.
# Usage: open_model.sh <quillmoor> <test data folder> <regressions folder> <scenegen> <group>
# group: cli | thumbnails | looks | binary | reader | motion
set -u
viewer=$1
data=$2
regressions=$3
prevented=$regressions/prevented
scenegen=$4
group=$5
source "$(dirname "$0")/cases.sh"
cd "$work" || exit 1
unset QUILLMOOR_DATA SDL_VIDEODRIVER QUILLMOOR_READER_FAULT QUILLMOOR_READER_MEMORY QUILLMOOR_READER_TIMEOUT
export XDG_CACHE_HOME=$work/cache XDG_CONFIG_HOME=$work/config

# Runs the viewer with the arguments given; keeps exit code, stdout and stderr.
view() {
    timeout 300 "$viewer" "$@" >"$work/out" 2>"$work/err"
    rc=$?
}

# Renders MODEL (with extra options) into $work/<name>.png at 640x360.
shoot() {
    local name=$1 model=$2
    shift 2
    view --screenshot "$work/$name.png" --frames 5 --resolution 640x360 "$@" "$model"
    [ "$rc" -eq 0 ] || { fail "exit code $rc: $(cat "$work/err")"; return 1; }
    [ "$(identify -format '%wx%h' "$work/$name.png" 2>/dev/null)" = 640x360 ] || { fail "no 640x360 PNG"; return 1; }
}

# Width and height of the region where two pictures differ: the model, since
# the sky is drawn after the exposure is applied and does not change with it.
extent() {
    compare -fuzz 2% "$1" "$2" -compose src -highlight-color white -lowlight-color black "$work/mask.png" 2>/dev/null
    convert "$work/mask.png" -bordercolor black -border 1 -trim -format '%w %h' info:
}

# Pixels of a picture whose colour passes an awk test on r, g, b (0 to 255).
count_pixels() {
    convert "$1" -depth 8 txt:- | awk -v test="$2" -F'[(),]' '
        NR > 1 { r = $3; g = $4; b = $5
                 if ((test == "magenta" && r > 90 && b > 90 && g < 50) ||
                     (test == "orange" && r > 120 && r > g + 40 && g > b + 10) ||
                     (test == "blue" && b > r + 40 && b > g + 20)) n++ }
        END { print n + 0 }'
}

cli_cases() {
    case_name=help
    check help_case
    case_name=version
    check version_case
    case_name=mistakes
    check mistakes_case
    case_name=unreadable-files
    check unreadable_case
    case_name=settings-file
    check settings_case
}

# Square pictures of every model file of the test data, each format's reader
# and units: the model visible (its pixels, and only they, change with the
# exposure); a file that cannot be read, or half of one, ends non-zero and
# writes nothing.
thumbnails_cases() {
    local model
    while read -r model; do
        case_name=thumbnail-${model#"$data"/}
        check thumbnail_case "$model"
    done < <(find "$data" -type f \( -name '*.gltf' -o -name '*.glb' -o -name '*.fbx' -o -name '*.obj' -o \
        -name '*.dae' -o -name '*.3ds' -o -name '*.ply' -o -name '*.stl' \) | sort)
    case_name=thumbnail-unreadable
    check unreadable_thumbnail_case
    case_name=thumbnail-cache
    check thumbnail_cache_case
}

# A thumbnail reads the entry a plain open keeps and adds none of its own.
thumbnail_cache_case() {
    local entries
    copy_box
    cp "$data"/formats/box.{obj,mtl} "$work/box/"
    rm -rf "$XDG_CACHE_HOME"
    view --thumbnail 64 "$work/box/box.gltf" "$work/t.png"
    grep -q '^Read in ' "$work/out" || fail "first thumbnail: $(grep '^Read' "$work/out" | tail -n 1)"
    entries=$(ls "$XDG_CACHE_HOME"/quillmoor | wc -l)
    view --thumbnail 64 "$work/box/box.obj" "$work/t.png"
    [ "$(ls "$XDG_CACHE_HOME"/quillmoor | wc -l)" -eq "$entries" ] || fail "a thumbnail added an entry"
    shoot opened "$work/box/box.gltf" || return
    view --thumbnail 64 "$work/box/box.gltf" "$work/t.png"
    grep -q '^Read from the cache in ' "$work/out" || fail "after an open: $(grep '^Read' "$work/out" | tail -n 1)"
    [ "$rc" -eq 0 ] || fail "exit code $rc"
}

thumbnail_case() {
    local name covered
    name=$(basename "$1")
    view --exposure 1 --thumbnail 128 "$1" "$work/$name-dim.png" && view --thumbnail 128 "$1" "$work/$name.png"
    [ "$rc" -eq 0 ] || { fail "exit code $rc: $(cat "$work/err")"; return; }
    [ "$(identify -format '%wx%h' "$work/$name.png" 2>/dev/null)" = 128x128 ] || fail "not 128x128"
    covered=$(changed "$work/$name-dim.png" "$work/$name.png")
    # The framed model's box fills most of the picture, and even a spider's
    # thin legs leave a twentieth covered.
    [ "${covered:-0}" -gt 819 ] || fail "the model covers only $covered of 16384 pixels"
    grep -q '^Units and axes: ' "$work/out" || fail "no units line"
}

unreadable_thumbnail_case() {
    local model
    head -c 20000 "$data/fbx/duck.fbx" >"$work/half.fbx"
    for model in "$data/fbx/jeep1.jpg" "$work/half.fbx" "$work/missing.obj"; do
        view --thumbnail 128 "$model" "$work/never.png"
        [ "$rc" -eq 1 ] || fail "$model: exit code $rc"
        [ -e "$work/never.png" ] && fail "$model: a picture was written"
    done
}

# The settings file gives defaults, per extension too; the command line
# overrides them, --no-config leaves them out, a wrong line is named.
settings_case() {
    local expected size
    mkdir -p "$work/config/quillmoor"
    printf 'resolution = 320x200\n[.obj]\nresolution = 300x150\nnonsense\n' >"$work/config/quillmoor/config"
    while IFS='|' read -r expected arguments; do
        # shellcheck disable=SC2086 # the arguments are words
        view --screenshot "$work/set.png" --frames 1 $arguments
        [ "$rc" -eq 0 ] || { fail "$arguments: exit code $rc: $(cat "$work/err")"; continue; }
        size=$(identify -format '%wx%h' "$work/set.png" 2>/dev/null)
        [ "$size" = "$expected" ] || fail "$arguments: $size, not $expected"
        if [[ $arguments == *--no-config* ]]; then
            grep -q 'the line is ignored' "$work/err" && fail "$arguments: the file was read: $(cat "$work/err")"
        else
            grep -qxF "$work/config/quillmoor/config:4: expected name = value; the line is ignored." "$work/err" ||
                fail "$arguments: stderr: $(cat "$work/err")"
        fi
    done <<CASES
320x200|$data/formats/box.gltf
300x150|$data/formats/box.obj
200x100|--resolution 200x100 $data/formats/box.obj
1600x900|--no-config $data/formats/box.gltf
CASES
    rm -r "$work/config"
}

help_case() {
    view --help
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    head -n 1 "$work/out" | grep -qx 'Usage: quillmoor \[options\] \[MODEL\]' || fail "stdout: $(head -n 1 "$work/out")"
    grep -q -- '--screenshot FILE.png' "$work/out" || fail "options not listed"
    [ -s "$work/err" ] && fail "stderr: $(cat "$work/err")"
}

version_case() {
    view --version
    [ "$rc" -eq 0 ] || fail "exit code $rc"
    grep -qxE 'quillmoor [0-9]+\.[0-9]+\.[0-9]+' "$work/out" || fail "stdout: $(cat "$work/out")"
}

mistakes_case() {
    local arguments expected
    while IFS='|' read -r arguments expected; do
        # shellcheck disable=SC2086
        view $arguments
        [ "$rc" -eq 2 ] || fail "$arguments: exit code $rc"
        [ -s "$work/out" ] && fail "$arguments: stdout: $(cat "$work/out")"
        head -n 1 "$work/err" | grep -qxF "quillmoor: $expected" || fail "$arguments: stderr: $(head -n 1 "$work/err")"
        grep -qx 'Usage: quillmoor \[options\] \[MODEL\]' "$work/err" || fail "$arguments: no usage on stderr"
    done <<'CASES'
--bogus|unknown option --bogus
model.obj --frames|the option --frames needs a value
--resolution 640by360 m.obj|the option --resolution does not take the value "640by360"
--scale 2|--table, --up, --scale, --lod, --environment, --animation, --time, --watch, --grid, --axes, --orbit, --reader and --overlay need a model file
CASES
}

unreadable_case() {
    local file expected
    while IFS='|' read -r file expected; do
        view --screenshot "$work/never.png" "$file"
        [ "$rc" -eq 1 ] || fail "$file: exit code $rc"
        [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$file: stderr is not one line: $(cat "$work/err")"
        grep -qF "Could not open \"$file\": $expected" "$work/err" || fail "$file: stderr: $(cat "$work/err")"
        [ -e "$work/never.png" ] && fail "$file: a picture was written"
    done <<CASES
$work/missing.fbx|no such file.
$data/fbx/jeep1.jpg|No suitable reader found
CASES
}

looks_cases() {
    case_name=z-up-stands-upright
    check upright_case
    case_name=centimetres-frame-as-metres
    check units_case
    case_name=embedded-and-compressed-box-drawn
    check embedded_case
    case_name=missing-texture-checker-and-own-colour
    check colours_case
    case_name=same-command-same-picture
    check repeat_case
    case_name=table-names-a-material
    check table_case
    case_name=classic-opacity-zero-said-once
    check opacity_case
}

upright_case() {
    local tower=$data/units/tower-metres.fbx w h
    shoot up-dim "$tower" --exposure 1 && shoot up "$tower" --exposure 3 || return
    read -r w h <<<"$(extent "$work/up-dim.png" "$work/up.png")"
    [ "$h" -gt $((w * 2)) ] || fail "the Z-up tower is $w wide and $h tall"
    grep -qx 'Units and axes: 1 unit = 1 m (recorded in the file), up +Z (recorded in the file)' "$work/out" ||
        fail "units line: $(grep Units "$work/out")"
    # Told to take Y as up, it lies down.
    shoot lying-dim "$tower" --exposure 1 --up y && shoot lying "$tower" --exposure 3 --up y || return
    read -r w h <<<"$(extent "$work/lying-dim.png" "$work/lying.png")"
    [ "$w" -gt "$h" ] || fail "told Y is up, the tower is $w wide and $h tall"
}

units_case() {
    local differ
    shoot metres "$data/units/tower-metres.fbx" && shoot centimetres "$data/units/tower-centimetres.fbx" || return
    grep -q '^Units and axes: 1 unit = 0.01 m (recorded in the file)' "$work/out" || fail "units: $(grep Units "$work/out")"
    differ=$(changed "$work/metres.png" "$work/centimetres.png")
    [ "${differ:-230400}" -lt 500 ] || fail "$differ pixels differ"
}

embedded_case() {
    local differ blue
    shoot external "$data/formats/box.gltf" && shoot embedded "$data/formats/box-embedded.gltf" || return
    grep -q 'embedded' "$work/err" && fail "stderr: $(cat "$work/err")"
    # The picture from inside the file looks as the one beside it.
    differ=$(changed "$work/external.png" "$work/embedded.png")
    [ "${differ:-230400}" -lt 500 ] || fail "$differ pixels differ from the box with its picture beside it"
    blue=$(count_pixels "$work/embedded.png" blue)
    # Physically based (glTF), under the neutral environment: paler than the classic programs drew it.
    [ "$blue" -gt 2000 ] || fail "only $blue pixels of the blue picture"
    [ "$(count_pixels "$work/embedded.png" magenta)" -eq 0 ] || fail "the checker shows"
    # A transform on its emissive picture alone moves that picture: the same
    # file without the transform glows otherwise.
    cp "$data"/formats/box.{bin,png} "$work/"
    sed 's/"KHR_texture_transform": {/"unknown": {/' "$data/formats/box-glowing.gltf" >"$work/still.gltf"
    shoot glowing "$data/formats/box-glowing.gltf" && shoot still "$work/still.gltf" || return
    [ "$(changed "$work/glowing.png" "$work/still.png")" -gt 3000 ] || fail "the emissive picture's transform moves nothing"
    # Its Draco and meshopt-with-quantised copies give its picture, within
    # the reference views' tolerance (quantised texture coordinates move the
    # picture's edges by a texel at most).
    local compressed rmse
    for compressed in draco meshopt; do
        shoot "$compressed" "$data/formats/box-$compressed.glb" || return
        rmse=$(compare -metric RMSE "$work/embedded.png" "$work/$compressed.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
        awk -v e="$rmse" 'BEGIN { exit !(e < 0.01) }' || fail "the $compressed box differs by $rmse (RMSE)"
    done
}

colours_case() {
    local box=$work/no-picture
    mkdir -p "$box"
    cp "$data/formats/box.obj" "$data/formats/box.mtl" "$box/"
    shoot checker "$box/box.obj" || return
    grep -qxF "Unable to open file - $box/box.png" "$work/err" || fail "stderr: $(cat "$work/err")"
    grep -qx 'Materials: 0 from the table, 0 with the standard program, 2 with the diffuse program, 0 physically based; 1 drawn in their own colour. Done in [0-9]* ms.' \
        "$work/out" || fail "summary: $(grep '^Materials' "$work/out")"
    [ "$(count_pixels "$work/checker.png" magenta)" -gt 5000 ] || fail "no checker for the missing picture"
    # The roof's material has a colour and no picture: it is drawn in that colour.
    [ "$(count_pixels "$work/checker.png" orange)" -gt 5000 ] || fail "the roof is not in its orange"
}

repeat_case() {
    shoot first "$data/fbx/duck.fbx" && shoot second "$data/fbx/duck.fbx" || return
    cmp -s "$work/first.png" "$work/second.png" || fail "the pictures differ"
}

table_case() {
    printf 'material_diffuse deferred\n###\nPlain material_diffuse\n' >"$work/table.txt"
    shoot table "$data/formats/box.obj" --table "$work/table.txt" || return
    grep -q '^Materials: 1 from the table, 0 with the standard program, 1 with the diffuse program' "$work/out" ||
        fail "summary: $(grep '^Materials' "$work/out")"
}

# A classic material at opacity 0 is drawn opaque, said once on stderr; the
# half-transparent one is blended (the reference view shows both).
opacity_case() {
    shoot classic "$data/materials/classic.dae" || return
    [ "$(grep -c 'opacity 0' "$work/err")" -eq 1 ] &&
        grep -qxF 'The material "Clay" has opacity 0 and no opacity picture: drawing it opaque, as its exporter most likely meant.' \
            "$work/err" || fail "stderr: $(cat "$work/err")"
    grep -q '^Materials: 0 from the table, 0 with the standard program, 1 with the diffuse program, 1 physically based' \
        "$work/out" || fail "summary: $(grep '^Materials' "$work/out")"
}

# Animated files: clips chosen by number, name or none, and drawn with the
# overlay; poses that stand still where nothing moves; a character file in
# centimetres at its size.
motion_cases() {
    case_name=clips-by-number-and-name
    check clips_case
    case_name=still-files-ignore-the-time
    check still_case
    case_name=centimetre-character-at-its-size
    check character_case
}

clips_case() {
    local box=$data/animation/node-box.gltf
    shoot second "$box" --animation 2 --time 1 || return
    grep -qx 'Animations: 1 "slide and turn" (2 s), 2 "hop" (2 s). Moving 1 objects, 0 of them skinned and 0 morphing.' \
        "$work/out" || fail "listing: $(grep '^Animations' "$work/out")"
    grep -qx 'Playing animation 2 of 2: "hop" (2 s).' "$work/out" || fail "clip line: $(grep '^Playing' "$work/out")"
    shoot hop "$box" --animation hop --time 1 || return
    cmp -s "$work/second.png" "$work/hop.png" || fail "clip 2 and the clip named hop differ"
    # A clip the file lacks: said, and the first plays.
    shoot unknown "$box" --animation walk --time 1 || return
    grep -qx 'The file has no animation "walk"; playing the first.' "$work/err" || fail "stderr: $(cat "$work/err")"
    shoot first "$box" --time 1 || return
    cmp -s "$work/unknown.png" "$work/first.png" || fail "an unknown clip does not play the first"
    [ "$(changed "$work/first.png" "$work/hop.png")" -gt 1000 ] || fail "the two clips give the same picture"
    # --overlay: the model's numbers at the top right, the clip's timeline along the bottom.
    shoot overlaid "$box" --time 1 --overlay || return
    local region
    for region in 320x120+320+0 640x40+0+320; do
        [ "$(changed_in "$work/first.png" "$work/overlaid.png" $region)" -gt 5000 ] || fail "--overlay left $region as it was"
    done
}

still_case() {
    local differ model name
    # Every file of the test data without clips, and an animated one in its rest pose, at two times.
    for model in "$data"/formats/*.{obj,gltf,glb,dae,3ds,ply,stl} "$data"/fbx/*.fbx "$data"/units/*.fbx \
        "$data"/materials/*.gltf; do
        name=$(basename "$model")
        shoot "$name-early" "$model" --time 0 && shoot "$name-late" "$model" --time 7.5 || return
        cmp -s "$work/$name-early.png" "$work/$name-late.png" || fail "$name changes with the time"
    done
    shoot rest-early "$data/animation/skinned-bar.gltf" --animation none --time 0.2 &&
        shoot rest-late "$data/animation/skinned-bar.gltf" --animation none --time 1 || return
    grep -qx 'Showing the rest pose.' "$work/out" || fail "clip line: $(grep -E '^(Playing|Showing)' "$work/out")"
    cmp -s "$work/rest-early.png" "$work/rest-late.png" || fail "the rest pose changes with the time"
    # Without --time the frames' fixed step moves the clip on.
    shoot stepped "$data/animation/skinned-bar.gltf" --frames 60 || return
    shoot start "$data/animation/skinned-bar.gltf" --time 0 || return
    differ=$(changed "$work/start.png" "$work/stepped.png")
    [ "${differ:-0}" -gt 100 ] || fail "60 frames on the fixed step change only $differ pixels"
}

character_case() {
    local fbx gltf camera="--camera 0,1,4,-90,0 --time 1"
    # The same bar and bend in centimetres with its skeleton scaled by 100
    # inside the file, and in metres: from one fixed place, the same size.
    # shellcheck disable=SC2086 # the options are words
    shoot fbx-dim "$data/animation/skinned-bar.fbx" $camera --exposure 1 &&
        shoot fbx "$data/animation/skinned-bar.fbx" $camera --exposure 3 &&
        shoot gltf-dim "$data/animation/skinned-bar.gltf" $camera --exposure 1 &&
        shoot gltf "$data/animation/skinned-bar.gltf" $camera --exposure 3 || return
    fbx=$(extent "$work/fbx-dim.png" "$work/fbx.png")
    gltf=$(extent "$work/gltf-dim.png" "$work/gltf.png")
    [ "$fbx" = "$gltf" ] || fail "the FBX bar covers $fbx pixels, the glTF bar $gltf"
}

# Binary files whose data holds the byte "{" thousands of times (generated
# height fields with "{"-grey vertices) open and show; JSON nested deeper
# than a parser can take is refused by the viewer's own glTF reader and
# ends the model reader's process (--reader assimp), not the viewer (deep
# FBX scopes are a bad-input row).
binary_cases() {
    local format covered
    for format in ply stl glb; do
        case_name=binary-$format
        before=$failures
        "$scenegen" --field 100 "$work/field.$format" || { fail "scenegen failed"; continue; }
        shoot "field-$format-dim" "$work/field.$format" --exposure 1 &&
            shoot "field-$format" "$work/field.$format" --exposure 3 || continue
        covered=$(changed "$work/field-$format-dim.png" "$work/field-$format.png")
        [ "${covered:-0}" -gt 11520 ] || fail "the field covers only $covered of 230400 pixels"
        [ "$failures" -eq "$before" ] && pass
    done
    case_name=nested-json
    check nested_case
}

nested_case() {
    { printf '{"asset":{"version":"2.0"},"extras":'; head -c 200000 /dev/zero | tr '\0' '['; } >"$work/deep.gltf"
    view --screenshot "$work/never.png" "$work/deep.gltf"
    [ "$rc" -eq 1 ] || fail "deep.gltf: exit code $rc"
    grep -qx "Could not open \"$work/deep.gltf\": the JSON cannot be read: .*" "$work/err" ||
        fail "deep.gltf: stderr: $(cat "$work/err")"
    view --reader assimp --screenshot "$work/never.png" "$work/deep.gltf"
    [ "$rc" -eq 1 ] || fail "deep.gltf with assimp: exit code $rc"
    grep -qE "^Could not open \"$work/deep.gltf\": the model reader crashed \(signal [0-9]+\)$" "$work/err" ||
        fail "deep.gltf with assimp: stderr: $(cat "$work/err")"
}

reader_cases() {
    case_name=regressions
    check regressions_case
    case_name=reader-limits
    check limits_case
    case_name=cache
    check cache_case
    case_name=cache-two-viewers
    check two_viewers_case
}

# Nothing of a sanitizer's in the viewer's own errors.
clean_errors() {
    grep -qE 'AddressSanitizer|LeakSanitizer|runtime error' "$work/err" && fail "$1: a sanitizer report: $(cat "$work/err")"
}

# Every damaged file the project keeps ends with one line naming it and exit
# code 1, whatever it does to the reader; the one whose texture path is a
# folder shows the model and names the texture, and the glTF reader shows
# the one with a mesh without positions, naming that mesh. Those found
# reading from memory are given the extension they were read as.
regressions_case() {
    local file copy name
    mkdir -p "$work/regressions"
    for file in "$regressions"/prevented/* "$regressions"/reader-crashes/* "$regressions"/import/*; do
        name=$(basename "$file")
        copy=$file
        case $name in
        gltf-*-from-memory) copy=$work/regressions/$name.gltf ;;
        obj-*-from-memory) copy=$work/regressions/$name.obj ;;
        esac
        [ "$copy" = "$file" ] || cp "$file" "$copy"
        # Small files: a read that asks for more than a gigabyte is refused sooner.
        QUILLMOOR_READER_MEMORY=1024 view --screenshot "$work/picture.png" --resolution 320x180 --frames 1 "$copy"
        clean_errors "$name"
        # Two open with what can be had: the texture that is a folder named,
        # the mesh without positions left out.
        if [ "$name" = texture-path-is-a-folder.glb ] || [ "$name" = glb-null-dereference.glb ]; then
            [ "$rc" -eq 0 ] || fail "$name: exit code $rc"
            grep -qE "^(Unable to open file - |Leaving out the mesh .*: it has no positions\.$)" "$work/err" ||
                fail "$name: stderr: $(cat "$work/err")"
            continue
        fi
        [ "$rc" -eq 1 ] || fail "$name: exit code $rc"
        [ "$(grep -vc '^Leaving out the mesh' "$work/err")" -eq 1 ] || fail "$name: stderr: $(cat "$work/err")"
        grep -q "^Could not open \"$copy\": ." "$work/err" || fail "$name: stderr: $(cat "$work/err")"
    done
}

# A reader that crashes, spins or eats memory (on purpose: its test mode)
# ends with its own message. The light sphere is read first, through the
# reader too: a first open puts it in the cache, so that the faults meet the
# model file.
limits_case() {
    local model=$data/formats/box.obj
    shoot primed "$data/formats/box.ply" || return
    QUILLMOOR_READER_FAULT=crash view --screenshot "$work/never.png" "$model"
    grep -qxE "Could not open \"$model\": the model reader crashed \(signal [0-9]+\)" "$work/err" ||
        fail "crash: $(cat "$work/err")"
    QUILLMOOR_READER_FAULT=spin QUILLMOOR_READER_TIMEOUT=2 view --screenshot "$work/never.png" "$model"
    grep -qxF "Could not open \"$model\": the model reader gave no answer within 2 s" "$work/err" ||
        fail "spin: $(cat "$work/err")"
    QUILLMOOR_READER_FAULT=memory QUILLMOOR_READER_MEMORY=256 view --screenshot "$work/never.png" "$model"
    grep -qxF "Could not open \"$model\": the model reader ran out of memory (limit 256 MiB)" "$work/err" ||
        fail "memory: $(cat "$work/err")"
    [ -e "$work/never.png" ] && fail "a picture was written"
    clean_errors limits
}

# A model with a material file, a buffer and a texture, in a folder of its own.
copy_box() {
    rm -rf "$work/box"
    mkdir -p "$work/box"
    cp "$data"/formats/box.{gltf,bin,png} "$work/box/"
}

# The second open of an unchanged file comes from the cache and looks the
# same; a changed texture or --no-cache reads the file again. (What else
# makes an entry stale, a copy elsewhere or a changed material file, is the
# cache's unit tests'.)
cache_case() {
    copy_box
    shoot first "$work/box/box.gltf" || return
    grep -q '^Read in ' "$work/out" || fail "first open: $(grep '^Read' "$work/out" | tail -n 1)"
    shoot second "$work/box/box.gltf" || return
    grep -q '^Read from the cache in ' "$work/out" || fail "second open: $(grep '^Read' "$work/out" | tail -n 1)"
    grep -q '^Level of detail from the cache in ' "$work/out" || fail "levels not from the cache"
    [ "$(changed "$work/first.png" "$work/second.png")" = 0 ] || fail "the cached scene looks different"
    shoot no-cache "$work/box/box.gltf" --no-cache || return
    grep -q '^Read in ' "$work/out" || fail "--no-cache: $(grep '^Read' "$work/out" | tail -n 1)"
    convert "$work/box/box.png" -negate "$work/box/box.png"
    shoot changed "$work/box/box.gltf" || return
    grep -q '^Read in ' "$work/out" || fail "changed texture: $(grep '^Read' "$work/out" | tail -n 1)"
    [ "$(changed "$work/first.png" "$work/changed.png")" != 0 ] || fail "the changed texture does not show"
    ls "$XDG_CACHE_HOME"/quillmoor/*.qmc >/dev/null 2>&1 || fail "no entry in $XDG_CACHE_HOME/quillmoor"
}

# Two viewers that open the same new file at once both succeed, and leave
# one whole entry behind.
two_viewers_case() {
    local a b
    copy_box
    rm -rf "$XDG_CACHE_HOME"
    timeout 300 "$viewer" --screenshot "$work/a.png" --resolution 320x180 --frames 1 "$work/box/box.gltf" >"$work/a.out" 2>&1 &
    a=$!
    timeout 300 "$viewer" --screenshot "$work/b.png" --resolution 320x180 --frames 1 "$work/box/box.gltf" >"$work/b.out" 2>&1 &
    b=$!
    wait $a || fail "first viewer: exit code $?: $(cat "$work/a.out")"
    wait $b || fail "second viewer: exit code $?: $(cat "$work/b.out")"
    shoot after "$work/box/box.gltf" || return
    grep -q '^Read from the cache in ' "$work/out" || fail "no whole entry: $(grep '^Read' "$work/out" | tail -n 1)"
    ls "$XDG_CACHE_HOME"/quillmoor | grep -v '\.qmc$' && fail "files left aside"
}

"${group}_cases"
finish
