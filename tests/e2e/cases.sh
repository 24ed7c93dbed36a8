# Shared by the end-to-end scripts: a scratch folder $work, removed at exit
# with whatever the script adds to $cleanup_commands; the cases' outcomes and
# the summary that ends a script.
work=$(mktemp -d)
cleanup_commands=""
trap 'eval "$cleanup_commands"; rm -rf "$work"' EXIT
failures=0
passes=0
fail() { echo "FAIL [$case_name]: $*"; failures=$((failures + 1)); }
pass() { echo "ok   [$case_name]"; passes=$((passes + 1)); }
# Runs a case; it passes when it added no failure.
check() { local before=$failures; "$@"; [ "$failures" -eq "$before" ] && pass; }
# Pixels that differ between two pictures.
changed() { compare -metric AE -fuzz 2% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
# The same within region $3 (WxH+X+Y) of both.
changed_in() {
    convert "$1" -crop "$3" +repage "$work/part-a.png" && convert "$2" -crop "$3" +repage "$work/part-b.png" &&
        changed "$work/part-a.png" "$work/part-b.png"
}
# The summary; the script fails when a case failed or none ran.
finish() { echo "$passes passed, $failures failed"; [ "$failures" -eq 0 ] && [ "$passes" -gt 0 ]; }
