#!/usr/bin/env bash
# The viewer under valgrind's memcheck with the small model in a virtual
# display: start-up, a few seconds of frames, Escape. Libraries' own reports
# are suppressed by tests/valgrind.supp, each entry with its reason; the
# summary and any remaining report are printed.
# Usage: memcheck.sh <viewer> <generated QM folder> <small model>
set -u
viewer_binary=$(realpath "$1")
assets=$(realpath "$2")
model=$(realpath "$3")
here=$(dirname "$(realpath "$0")")
source "$here/e2e/lib.sh"
export SDL_AUDIODRIVER=dummy
case_name=memcheck

# The viewer, as lib.sh starts it, is valgrind running the viewer. With the
# allocator's tunables set the viewer does not start itself anew (which
# would leave valgrind behind).
viewer="$work/valgrind-viewer"
cat >"$viewer" <<SCRIPT
#!/bin/sh
GLIBC_TUNABLES=glibc.malloc.hugetlb=0 exec valgrind --tool=memcheck --leak-check=no --track-origins=yes --num-callers=30 \
    --suppressions="$here/valgrind.supp" --log-file="$work/memcheck.log" "$viewer_binary"
SCRIPT
chmod +x "$viewer"

dir=$(make_runtime)
start_tenths=9000 start_viewer "$dir"
check_running_window "$dir" || exit 1
sleep 20
press_escape
for _ in $(seq 3000); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid"
rc=$?
echo "exit code $rc"
grep -E 'ERROR SUMMARY|Invalid (read|write)|uninitialised|suppressed' "$work/memcheck.log" | sed 's/^==[0-9]*== //' | sort | uniq -c
log="$(dirname "$viewer_binary")/memcheck.log"
cp "$work/memcheck.log" "$log"
echo "full log: $log"
