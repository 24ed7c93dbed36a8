#!/usr/bin/env bash
# The Debian package as `make package` builds it, from this build folder:
# its files and dependencies; its desktop entry, thumbnailer entry, MIME
# types, icon, manual page and completion checked by the tools that read
# them; every option of --help in the manual page and the completion; and
# the package installed into a throw-away root with dpkg, run from there
# (--version, a thumbnail) and removed, leaving nothing behind.
# Usage: package.sh <build folder> <test data folder>
set -u
build=$(realpath "$1")
data=$(realpath "$2")
source "$(dirname "$0")/cases.sh"
# Each case passes when it added no failure.
check_case() { [ "$failures" -eq "$before" ] && pass; }

case_name=build
if ! (cd "$work" && cpack -G DEB -B "$work/out" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1); then
    fail "cpack: $(tail -n 5 "$work/cpack.log")"
    finish
    exit 1
fi
deb=$(ls "$work"/out/quillmoor_*.deb)
pass

case_name=contents
before=$failures
dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
for file in /usr/bin/quillmoor /usr/libexec/quillmoor/quillmoor-reader \
    /usr/share/applications/quillmoor.desktop /usr/share/thumbnailers/quillmoor.thumbnailer \
    /usr/share/mime/packages/quillmoor.xml /usr/share/icons/hicolor/scalable/apps/quillmoor.svg \
    /usr/share/man/man1/quillmoor.1.gz /usr/share/bash-completion/completions/quillmoor \
    /usr/share/quillmoor/QM/QM.fbx /usr/share/quillmoor/QM/sphere.fbx /usr/share/quillmoor/QM/Lullwave.mp3 \
    /usr/share/quillmoor/QM/pbr.frag /usr/share/quillmoor/QM/cubemap/loadsa_colors_0.jpg; do
    grep -qx "$file" "$work/contents" || fail "not in the package: $file"
done
stray=$(grep -v -e '^/usr/' -e '^/$' "$work/contents" | head -n 3)
[ -z "$stray" ] || fail "outside /usr: $stray"
grep -q '\.glsl-copied' "$work/contents" && fail "the build's stamp file is packaged"
depends=$(dpkg-deb -f "$deb" Depends)
# Found from the binaries' libraries, not listed by hand.
for package in libassimp5 libsdl2-2.0-0 libsdl2-mixer-2.0-0 libglew2.2 libmeshoptimizer2d libxxhash0 libegl1; do
    [[ $depends == *"$package"* ]] || fail "Depends lacks $package: $depends"
done
check_case

# The files the desktop reads, by the tools that read them.
case_name=desktop-files
before=$failures
dpkg-deb -x "$deb" "$work/extracted"
share="$work/extracted/usr/share"
desktop-file-validate "$share/applications/quillmoor.desktop" >"$work/validate.log" 2>&1 ||
    fail "desktop-file-validate: $(cat "$work/validate.log")"
xmllint --noout "$share/mime/packages/quillmoor.xml" "$share/icons/hicolor/scalable/apps/quillmoor.svg" 2>"$work/xmllint.log" ||
    fail "xmllint: $(cat "$work/xmllint.log")"
# The shared MIME database built from the system's types and ours: no
# complaint, and each extension finds the type the entries name.
mkdir -p "$work/mime/packages"
cp /usr/share/mime/packages/freedesktop.org.xml "$share/mime/packages/quillmoor.xml" "$work/mime/packages/"
XDG_DATA_DIRS="$work" update-mime-database "$work/mime" >"$work/mime.log" 2>&1 || fail "update-mime-database: $(cat "$work/mime.log")"
[ -s "$work/mime.log" ] && fail "update-mime-database complains: $(cat "$work/mime.log")"
for pair in fbx:model/x-fbx dae:model/vnd.collada+xml ply:model/x-ply; do
    grep -q ":${pair#*:}:\*\.${pair%%:*}$" "$work/mime/globs2" || fail "*.${pair%%:*} is not ${pair#*:}"
done
thumbnailer="$share/thumbnailers/quillmoor.thumbnailer"
[ "$(head -n 1 "$thumbnailer")" = "[Thumbnailer Entry]" ] || fail "the thumbnailer's group: $(head -n 1 "$thumbnailer")"
grep -qx 'Exec=quillmoor --thumbnail %s %i %o' "$thumbnailer" || fail "the thumbnailer's command: $(grep Exec "$thumbnailer")"
# Both entries name the same types, each of them known to the database.
types=$(grep '^MimeType=' "$share/applications/quillmoor.desktop")
[ "$types" = "$(grep '^MimeType=' "$thumbnailer")" ] || fail "the entries name different types"
for type in $(echo "${types#MimeType=}" | tr ';' ' '); do
    grep -qx "$type" "$work/mime/types" || fail "unknown MIME type $type"
done
check_case

case_name=manual-and-completion
before=$failures
manual="$work/quillmoor.1"
gzip -dc "$share/man/man1/quillmoor.1.gz" >"$manual"
warnings=$(groff -man -ww -z "$manual" 2>&1)
[ -z "$warnings" ] || fail "groff: $warnings"
completion="$share/bash-completion/completions/quillmoor"
bash -n "$completion" || fail "the completion is not valid bash"
"$work/extracted/usr/bin/quillmoor" --help | grep -oE '^  --[a-z-]+' | sed 's/^ *//' >"$work/options"
[ -s "$work/options" ] || fail "no options in --help"
while read -r option; do
    grep -qF -- "${option//-/\\-}" "$manual" || fail "the manual page lacks $option"
    grep -qwF -- "$option" "$completion" || fail "the completion lacks $option"
done <"$work/options"
# The completion as bash runs it, when bash-completion is there.
if [ -f /usr/share/bash-completion/bash_completion ]; then
    completed() {
        bash -c 'source /usr/share/bash-completion/bash_completion; source "$1"
            COMP_LINE=$2; COMP_POINT=${#COMP_LINE}; read -ra COMP_WORDS <<<"$COMP_LINE"
            [[ $COMP_LINE == *" " ]] && COMP_WORDS+=("")
            COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quillmoor; echo "${COMPREPLY[*]}"' _ "$completion" "$1"
    }
    [ "$(completed 'quillmoor --no-c')" = "--no-cache --no-config" ] || fail "--no-c: $(completed 'quillmoor --no-c')"
    [ "$(completed 'quillmoor --lod ')" = "borders builtin" ] || fail "--lod: $(completed 'quillmoor --lod ')"
fi
check_case

# Installed with dpkg into a root of its own (the libraries are this
# machine's), run from there, and removed.
case_name=install-and-remove
before=$failures
root="$work/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/status"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(fakeroot)
# dpkg looks for ldconfig and start-stop-daemon, which a user's PATH may lack.
dpkg_root() {
    PATH="$PATH:/usr/sbin:/sbin" "${as_root[@]}" dpkg --root="$root" --force-not-root --force-depends --log=/dev/null "$@"
}
if dpkg_root -i "$deb" >"$work/dpkg.log" 2>&1; then
    version=$("$root/usr/bin/quillmoor" --version 2>&1)
    [ "$version" = "$("$build/quillmoor" --version)" ] || fail "--version: $version"
    # The installed viewer finds its data and its reader from its own place.
    if (cd / && "$root/usr/bin/quillmoor" --no-config --no-cache --thumbnail 64 "$data/fbx/duck.fbx" "$work/duck.png" \
        >"$work/thumbnail.log" 2>&1); then
        [ "$(identify -format '%wx%h' "$work/duck.png" 2>/dev/null)" = 64x64 ] || fail "the thumbnail is not 64x64"
    else
        fail "thumbnail: $(tail -n 3 "$work/thumbnail.log")"
    fi
    dpkg_root -r quillmoor >>"$work/dpkg.log" 2>&1 || fail "dpkg -r: $(tail -n 3 "$work/dpkg.log")"
    left=$(cd "$root" && find . -mindepth 1 -not -path './var/lib/dpkg*' -not -path ./var -not -path ./var/lib | head -n 5)
    [ -z "$left" ] || fail "left behind after removal: $left"
else
    fail "dpkg -i: $(tail -n 5 "$work/dpkg.log")"
fi
check_case

finish
