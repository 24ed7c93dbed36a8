#!/usr/bin/env bash
# The generator writes the same bytes on every run: a fresh run matches the
# build's assets file for file. Usage: deterministic.sh <scenegen> <built QM folder>
set -u
generator=$1
built=$(realpath "$2")
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
"$generator" "$out/QM" || exit 1
cd "$out/QM"
status=0
while IFS= read -r file; do
    cmp -s "$file" "$built/$file" || { echo "differs: $file"; status=1; }
done < <(find . -type f | sort)
echo "$(find . -type f | wc -l) files compared"
exit $status
