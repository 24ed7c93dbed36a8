#!/usr/bin/env bash
# The viewer as a user installs and starts it: `cmake --install` into a fresh
# prefix, then the installed viewer and the build folder's own, each started
# from "/" with nothing saying where its data is, in a virtual display: each
# finds its data from its own place, loads the shipped scene with the
# expected console, and Escape ends it with 0. An installed viewer whose data
# folder is gone says where it looked and exits with 1.
# Usage: install.sh <build folder> <viewer in the build folder>
set -u
build=$(realpath "$1")
built_viewer=$(realpath "$2")
source "$(dirname "$0")/lib.sh"
export SDL_AUDIODRIVER=dummy
unset QUILLMOOR_DATA
prefix="$work/prefix"

# What is installed where is the package's test (the same install rules);
# here, that the installed viewer runs.
case_name=install
if cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    pass
else
    fail "cmake --install: $(tail -n 5 "$work/install.log")"
fi

# Started from "/" with no data beside the working directory.
from_root() {
    case_name=$1
    viewer=$2
    local before=$failures dir="$work/$1"
    mkdir -p "$dir"
    run_from=/ start_viewer "$dir"
    if check_running_window "$dir"; then
        press_escape
        wait_viewer
        [ "$rc" -eq 0 ] || fail "exit code $rc"
        check_scene_console "$dir"
        [ "$failures" -eq "$before" ] && pass
    fi
}
from_root installed-from-root "$prefix/bin/quillmoor"
from_root build-folder-from-root "$built_viewer"

case_name=installed-without-data
before=$failures
mv "$prefix/share/quillmoor" "$prefix/share/moved"
(cd / && timeout 60 "$prefix/bin/quillmoor" >"$work/no-data.out" 2>"$work/no-data.err")
rc=$?
[ "$rc" -eq 1 ] || fail "exit code $rc"
grep -qxE "Could not find the runtime data \(a folder holding QM/\) in \"$prefix/bin\" nor in \"$prefix/share/quillmoor\"\." \
    "$work/no-data.err" || fail "stderr: $(cat "$work/no-data.err")"
[ "$failures" -eq "$before" ] && pass

finish
