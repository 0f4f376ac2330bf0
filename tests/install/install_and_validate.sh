#!/usr/bin/env bash
# Installs a build into a temporary prefix and checks what a desktop needs:
# the program, a valid desktop entry and AppStream metainfo, the icon in
# every hicolor size at its true pixel size, and the manual.
# Argument: the build folder.
set -euo pipefail
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
id=org.vornel.Vornel
failed=0
fail() { echo "FAIL: $*"; failed=1; }

[ -x "$prefix/bin/vornel" ] || fail "bin/vornel is missing or not executable"
[ -x "$prefix/libexec/vornel/vornel-sound" ] || fail "libexec/vornel/vornel-sound is missing or not executable"
[ -x "$prefix/libexec/vornel/vornel-jet-export" ] || fail "libexec/vornel/vornel-jet-export is missing or not executable"
desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "metainfo"
grep -qx "Categories=Office;Calendar;" "$share/applications/$id.desktop" || fail "categories"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "icon name"

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_size() {
    od -An -tu1 -j16 -N8 "$1" |
        awk '{ print (($1*256+$2)*256+$3)*256+$4 "x" (($5*256+$6)*256+$7)*256+$8 }'
}
for n in 16 22 24 32 48 64 128 256; do
    png=$share/icons/hicolor/${n}x${n}/apps/$id.png
    if [ ! -f "$png" ]; then fail "no ${n}x${n} icon"; continue; fi
    [ "$(png_size "$png")" = "${n}x${n}" ] || fail "$png is $(png_size "$png")"
done
grep -q "<svg" "$share/icons/hicolor/scalable/apps/$id.svg" || fail "no scalable icon"

manual=$share/vornel/manual/index.html
[ -f "$manual" ] || fail "no manual at $manual"

[ "$failed" -eq 0 ] || exit 1
echo "install: every installed file checked"
