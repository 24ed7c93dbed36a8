#!/usr/bin/env bash
# The shipped scene from fixed views, rendered without a display and
# compared with the reference pictures in tests/references: a pixel counts as
# changed when its colour moved by more than the tolerance, and a view fails
# when more than its share of pixels changed. A failure leaves the new
# picture, the reference and a difference image in the output folder and
# names them.
# Group "views": every view against its reference, with no uniform reported missing. Group "faults": runtime
# data with one deliberate fault each (a program edited, or an animated
# model file), which the matching view must catch.
# Usage: references.sh <viewer> <generated QM folder> <references folder> <output folder> <views|faults>
set -u
viewer=$(realpath "$1")
assets=$(realpath "$2")
references=$(realpath "$3")
output=$4
group=$5
source "$(dirname "$0")/cases.sh"
mkdir -p "$output"
output=$(realpath "$output")
unset SDL_VIDEODRIVER
source "$references/settings.sh"

# Renders view $1 with the runtime data in folder $2 into $3.
render() {
    local options
    options=$(view_options "$1") || { echo "no view $1"; return 1; }
    # shellcheck disable=SC2086 # the options are words
    QUILLMOOR_DATA=$2 timeout 600 "$viewer" --screenshot "$3" $common_options $options \
        >"$work/out" 2>"$work/err" || { echo "exit code $?: $(tail -n 3 "$work/err")"; return 1; }
}

# The number of pixels of $2 whose colour differs from $1's by more than
# the tolerance; the difference image goes to $3.
changed_pixels() {
    compare -metric AE -fuzz "$colour_tolerance" "$1" "$2" "$3" 2>&1 >/dev/null | cut -d' ' -f1
}

# Whether the picture $2 of view $1 matches its reference; prints why not.
matches() {
    local reference="$references/$1.png" changed limit
    [ -f "$reference" ] || { echo "no reference $reference"; return 1; }
    changed=$(changed_pixels "$reference" "$2" "$work/diff.png")
    limit=$(awk -v s="$changed_share" -v w="$width" -v h="$height" 'BEGIN { printf "%d", s * w * h }')
    [[ $changed =~ ^[0-9]+$ ]] || { echo "cannot compare: $changed"; return 1; }
    [ "$changed" -le "$limit" ] || { echo "$changed pixels changed (limit $limit)"; return 1; }
}

views_cases() {
    local view why
    for view in $views; do
        case_name=$view
        local picture="$work/$view.png"
        rm -rf "${output:?}/$view"  # what an earlier failure left
        why=$(render "$view" "$(dirname "$assets")" "$picture") || { fail "$why"; continue; }
        # Every uniform a pass sets is one its program has.
        if grep -q "^Couldn't locate" "$work/err"; then
            fail "$(grep "^Couldn't locate" "$work/err" | head -n 3 | tr '\n' ' ')"
            continue
        fi
        if why=$(matches "$view" "$picture"); then
            pass
        else
            mkdir -p "$output/$view"
            cp "$picture" "$output/$view/new.png"
            cp "$references/$view.png" "$output/$view/reference.png" 2>/dev/null
            cp "$work/diff.png" "$output/$view/difference.png" 2>/dev/null
            fail "$why; see $output/$view/{new,reference,difference}.png"
        fi
    done
}

# A copy of the runtime data whose program file $1 is edited by the sed
# script $2; prints its folder.
faulty_data() {
    local dir="$work/fault-$case_name"
    mkdir -p "$dir/QM"
    for entry in "$assets"/*; do ln -s "$entry" "$dir/QM/"; done
    local file="$dir/QM/$1"
    if [ -L "$(dirname "$file")" ]; then  # a program in a subfolder: that folder copied
        rm "$(dirname "$file")" && cp -r "$assets/$(dirname "$1")" "$(dirname "$file")"
    fi
    rm -f "$file" && sed "$2" "$assets/$1" >"$file"
    cmp -s "$file" "$assets/$1" && { echo "the edit $2 changes nothing in $1" >&2; return 1; }
    echo "$dir"
}

# A copy of the animated model folder whose file $1 is edited by the sed
# script $2; prints its folder.
faulty_models() {
    local dir="$work/fault-$case_name"
    cp -r "$animations" "$dir"
    sed "$2" "$animations/$1" >"$dir/$1"
    cmp -s "$dir/$1" "$animations/$1" && { echo "the edit $2 changes nothing in $1" >&2; return 1; }
    echo "$dir"
}

faults_cases() {
    local view file edit dir why
    while IFS='|' read -r case_name view file edit; do
        [ -n "$case_name" ] || continue
        if [[ $file == @* ]]; then
            dir=$(faulty_models "${file#@}" "$edit") || { fail "cannot make the fault"; continue; }
            why=$(animations=$dir render "$view" "$(dirname "$assets")" "$work/$case_name.png") ||
                { fail "$why"; continue; }
        else
            dir=$(faulty_data "$file" "$edit") || { fail "cannot make the fault"; continue; }
            why=$(render "$view" "$dir" "$work/$case_name.png") || { fail "$why"; continue; }
        fi
        if why=$(matches "$view" "$work/$case_name.png"); then
            fail "view $view does not see it"
        else
            pass
            echo "     [$case_name] $view: $why"
        fi
    done <<<"$faults"
}

"${group}_cases"
finish
