#!/usr/bin/env bash
# The viewer on damaged assets, one group of rows at a time: each row links a
# runtime directory to the generated assets (with the small model), damages
# one thing, runs the viewer in a virtual display and checks the outcome
# written next to it: either the viewer runs (Escape then ends it with 0) or
# it stops in order with exit code 1; stderr holds the expected line and no
# sanitizer report, whatever the row.
# Usage: bad_input.sh <viewer> <generated QM folder> <small model> <group>
#   groups: missing shaders images model table
set -u
viewer=$(realpath "$1")
assets=$(realpath "$2")
model=$(realpath "$3")
group=$4
findings=$(realpath "$(dirname "$0")/../regressions/import")
source "$(dirname "$0")/lib.sh"
export SDL_AUDIODRIVER=dummy

# Damage, always on a file of the runtime directory's own: the links lead
# into the build's assets, which must stay whole.
materialise() { local target; target=$(readlink -f "$1"); rm -f "$1"; cp "$target" "$1"; }
truncated() { materialise "$1"; truncate -s $(($(stat -c %s "$1") / 2)) "$1"; }
emptied() { rm -f "$1"; : >"$1"; }
replaced_by() { local source; source=$(readlink -f "$2"); rm -f "$1"; cp "$source" "$1"; }
mp3_over() { replaced_by "$1" Lullwave.mp3; }
written() { rm -f "$1"; printf "$2" >"$1"; }
# Headers claiming 65535 x 65535 pixels, and nothing after them.
huge_png() { written "$1" '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\xff\xff\x00\x00\xff\xff\x08\x06\x00\x00\x00XXXX\x00\x00\x00\x00IENDXXXX'; }
huge_jpeg() { written "$1" '\xff\xd8\xff\xc0\x00\x11\x08\xff\xff\xff\xff\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xd9'; }
# ASCII FBX scopes nested 200,000 deep: the model reader's parser would recurse that deep.
deeply_nested() {
    rm -f "$1"
    { echo '; FBX 7.4.0 project file'; yes 'A: {' | head -n 200000; head -c 200000 /dev/zero | tr '\0' '}'; } >"$1"
}
table_edited() { materialise shader_sources.txt; sed -i "$1" shader_sources.txt; }

# One row: name, damage (run in the QM folder), "runs" or "exits", and
# extended regular expressions, one a line, that each a line of stderr must
# match ("" for a stderr without any line of the viewer's own).
row() {
    case_name=$1
    local damage=$2 outcome=$3 expected=$4 before=$failures dir
    dir=$(make_runtime)
    (cd "$dir/QM" && eval "$damage") || { fail "could not apply: $damage"; return; }
    if [ "$outcome" = runs ]; then
        start_viewer "$dir"
        check_running_window "$dir" || return
        press_escape
        wait_viewer
        [ "$rc" -eq 0 ] || fail "exit code $rc after Escape"
        grep -qx 'Welcome!' "$dir/stdout" || fail "loading did not finish"
    else
        (cd "$dir" && QUILLMOOR_DATA="$dir" timeout 120 "$viewer" >"$dir/stdout" 2>"$dir/stderr")
        rc=$?
        [ "$rc" -eq 1 ] || fail "exit code $rc, expected 1"
        ! grep -qx 'Welcome!' "$dir/stdout" || fail "loading finished"
    fi
    # The leak checker's list of suppressions used is not the viewer's.
    sed '/^-\{10,\}$/,/^-\{10,\}$/d; /^$/d' "$dir/stderr" >"$dir/own-stderr"
    if grep -qE 'Sanitizer|runtime error:' "$dir/stderr"; then
        fail "sanitizer report: $(head -n 20 "$dir/stderr")"
    elif [ -z "$expected" ]; then
        [ ! -s "$dir/own-stderr" ] || fail "unexpected stderr: $(head -n 5 "$dir/own-stderr")"
    else
        local pattern
        while IFS= read -r pattern; do
            grep -qE "$pattern" "$dir/own-stderr" || fail "no line matching '$pattern' in: $(head -n 5 "$dir/own-stderr")"
        done <<<"$expected"
    fi
    [ "$failures" -eq "$before" ] && pass
}

# name                     damage                                     outcome  expected line on stderr
missing_rows() {
    row model                  'rm QM.fbx'                                exits '^Assimp file reading error: .+'
    row sphere                 'rm sphere.fbx'                            exits '^Error reading sphere mesh: .+'
    row table                  'rm shader_sources.txt'                    runs  '^Could not open shader_sources\.txt\.$'
    row material-texture       'rm textures/stone_d.jpg'                  runs  '^Unable to open file - QM/textures/stone_d\.jpg$'
    row billboard-picture      'rm tree_oak.png'                          runs  ''  # silent: no billboard for the oak
    row cube-map-face          'rm cubemap/loadsa_colors_3.jpg'           runs  '^Unable to open file - QM/cubemap/loadsa_colors_3\.jpg$'
    row music                  'rm Lullwave.mp3'                          runs  '^Sound file loading issue: .*Lullwave\.mp3'
}

# Every file of every program the shipped scene builds, in two rows: the
# files no other includes, then those included (a file gone leaves its own
# includes unread). Each missing file is named, the programs fail to build,
# and the viewer runs on. The physically based and unlit programs are built
# only for a model of one's own.
shader_rows() {
    local files included file kind expected
    files=$(cd "$assets" && find . -name '*.vert' -o -name '*.geom' -o -name '*.frag' -o -name '*.glsl' |
        sed 's|^\./||' | grep -vx 'pbr\.frag\|unlit\.vert\|unlit\.frag' | sort)
    included=$(cd "$assets" && grep -rhoE '^#include "[^"]+"' . | cut -d'"' -f2 | sort -u)
    for kind in including included; do
        if [ $kind = including ]; then
            files=$(comm -23 <(echo "$files") <(echo "$included"))
        else
            files=$(comm -12 <(cd "$assets" && find . -type f | sed 's|^\./||' | sort) <(echo "$included"))
        fi
        expected=$(for file in $files; do echo "^Unable to open shader file \"QM/${file//./\\.}\"$"; done)
        row "glsl-$kind" "rm $(echo $files)" runs "$expected"
    done
}

# Three pictures damaged three ways, each way once per row: every picture
# meets every damage, in three viewer starts instead of nine.
image_rows() {
    local pictures=(textures/stone_d.jpg textures/stone_n.png cubemap/loadsa_colors_1.jpg)
    local damages=(truncated emptied mp3_over) shift i damage expected file
    for shift in 0 1 2; do
        damage="" expected=""
        for i in 0 1 2; do
            damage+="${damages[(i + shift) % 3]} ${pictures[i]}; "
            file=${pictures[i]//./\\.}
            # A decoder's reason is a few lower-case words, then the file's name.
            case ${damages[(i + shift) % 3]} in
            truncated) expected+="^[a-z ]+ - QM/$file$"$'\n' ;;
            *) expected+="^unknown image type - QM/$file$"$'\n' ;;
            esac
        done
        row "damaged-pictures-$shift" "$damage" runs "${expected%$'\n'}"
    done
    row huge-pictures          'huge_png textures/stone_n.png; huge_jpeg textures/stone_d.jpg; huge_jpeg cubemap/loadsa_colors_1.jpg' \
                                                                          runs  $'^too large - QM/textures/stone_n\\.png$\n^too large - QM/textures/stone_d\\.jpg$\n^too large - QM/cubemap/loadsa_colors_1\\.jpg$'
    row other-size-face        'replaced_by cubemap/loadsa_colors_4.jpg tree_oak.png' \
                                                                          runs  '^Cube-map face of another size than the first - QM/cubemap/loadsa_colors_4\.jpg$'
    # Billboard pictures are silent: the mesh has no billboard.
    row damaged-billboards     'truncated tree_oak.png; emptied tree_pine.png; huge_png tree_birch.png' \
                                                                          runs  ''
}

model_rows() {
    row truncated-model        'truncated QM.fbx'                         exits '^Assimp file reading error: .+'
    row empty-model            'emptied QM.fbx'                           exits '^Assimp file reading error: .+'
    row random-model           'rm QM.fbx; head -c 65536 /dev/urandom >QM.fbx' \
                                                                          exits '^Assimp file reading error: .+'
    row png-as-model           'replaced_by QM.fbx tree_oak.png'          exits '^Assimp file reading error: .+'
    row nested-model           'deeply_nested QM.fbx'                     exits '^Assimp file reading error: .+'
    # A real model whose skin names a vertex the mesh lacks: the model reader's
    # internal check fails and aborts its process.
    row reader-check           "replaced_by QM.fbx $findings/skin-vertex-out-of-range.fbx" \
                                                                          exits '^Assimp file reading error: the model reader crashed \(signal 6\)$'
    row truncated-sphere       'truncated sphere.fbx'                     exits '^Error reading sphere mesh: .+'
}

table_rows() {
    row table-odd-words        'table_edited "\$a Orphan"'               runs  '^Ignoring the unpaired word "Orphan" in shader_sources\.txt\.$'
    row table-crlf             'table_edited "s/\$/\r/"'                  runs  ''
    row table-tabs             'table_edited "s/ /\t/g"'                  runs  ''
    row table-bom              'table_edited "1s/^/\xef\xbb\xbf/"'        runs  ''
    row table-unknown-program  'table_edited "s/^Stone material_standard/Stone material_unheard_of/"' \
                                                                          runs  '^Could not find shader for the material "Stone"\.$'
}

case $group in
missing) missing_rows ;;
shaders) shader_rows ;;
images) image_rows ;;
model) model_rows ;;
table) table_rows ;;
*) echo "unknown group $group"; exit 2 ;;
esac
finish
