#!/usr/bin/env bash
# A user's own model files opened from the command line and rendered with
# --screenshot, without any display: every model file of the test data
# shows, placed, lit and coloured as it should be. Also the command line's
# answers to help, version and mistakes. The viewer finds its own runtime
# data; it runs from a scratch folder.
# Usage: open_model.sh <quillmoor> <test data folder> <prevented regressions folder> <scenegen> <group>
# group: cli | formats | looks | binary
set -u
viewer=$1
data=$2
prevented=$3
scenegen=$4
group=$5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
unset QUILLMOOR_DATA SDL_VIDEODRIVER
failures=0
passes=0
fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }
pass() { echo "ok   [$case_name]"; passes=$((passes + 1)); }
check() { local before=$failures; "$@"; [ "$failures" -eq "$before" ] && pass; }

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

# Pixels that differ between two pictures.
changed() { compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }

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
--scale 2|--table, --up, --scale and --lod need a model file
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
$prevented/map-before-newmtl.obj|the material file "map-before-newmtl.mtl" names a texture before its first material
$prevented/no-end-header.ply|the header has no end_header line
CASES
}

# Every model file of the test data: it shows and covers a clear share of the picture.
formats_cases() {
    local model name covered
    for model in "$data"/formats/*.{obj,gltf,glb,dae,3ds,ply,stl} "$data"/fbx/*.fbx "$data"/meshes/*.obj \
        "$data"/units/*.fbx; do
        name=$(basename "$model")
        case_name=$name
        before=$failures
        shoot "$name-dim" "$model" --exposure 1 && shoot "$name" "$model" --exposure 3 || continue
        covered=$(changed "$work/$name-dim.png" "$work/$name.png")
        # 640 x 360 = 230400 pixels; the framed model's box fills most of the
        # view, and even a spider's thin legs leave a twentieth covered.
        [ "${covered:-0}" -gt 11520 ] || fail "the model covers only $covered of 230400 pixels"
        grep -q '^Units and axes: ' "$work/out" || fail "no units line"
        [ "$failures" -eq "$before" ] && echo "     [$name] covers $covered of 230400 pixels" && pass
    done
}

looks_cases() {
    case_name=z-up-stands-upright
    check upright_case
    case_name=centimetres-frame-as-metres
    check units_case
    case_name=embedded-texture-drawn
    check embedded_case
    case_name=missing-texture-checker-and-own-colour
    check colours_case
    case_name=same-command-same-picture
    check repeat_case
    case_name=table-names-a-material
    check table_case
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
    [ "$blue" -gt 5000 ] || fail "only $blue pixels of the blue picture"
    [ "$(count_pixels "$work/embedded.png" magenta)" -eq 0 ] || fail "the checker shows"
}

colours_case() {
    local box=$work/no-picture
    mkdir -p "$box"
    cp "$data/formats/box.obj" "$data/formats/box.mtl" "$box/"
    shoot checker "$box/box.obj" || return
    grep -qxF "Unable to open file - $box/box.png" "$work/err" || fail "stderr: $(cat "$work/err")"
    grep -qx 'Materials: 0 from the table, 0 with the standard program, 2 with the diffuse program; 1 drawn in their own colour. Done in [0-9]* ms.' \
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

# Binary files whose data holds the byte "{" thousands of times (generated
# height fields with "{"-grey vertices) open and show; text nested deeper
# than the readers' parsers can take is still refused.
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
    case_name=nested-text-refused
    check nested_case
}

nested_case() {
    local file
    { echo '; FBX 7.4.0 project file'; head -c 5000 /dev/zero | tr '\0' '{'; } >"$work/deep.fbx"
    { printf '{"asset":{"version":"2.0"},"extras":'; head -c 5000 /dev/zero | tr '\0' '['; } >"$work/deep.gltf"
    for file in "$work/deep.fbx" "$work/deep.gltf"; do
        view --screenshot "$work/never.png" "$file"
        [ "$rc" -eq 1 ] || fail "$file: exit code $rc"
        grep -qxF "Could not open \"$file\": \"$file\" is nested more than 1024 levels deep" "$work/err" ||
            fail "$file: stderr: $(cat "$work/err")"
    done
}

"${group}_cases"
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ] && [ "$passes" -gt 0 ]
