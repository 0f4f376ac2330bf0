#!/usr/bin/env bash
# Builds the Debian package of this tree and checks it with lintian.
# The results (vornel_*.deb, the .changes, .buildinfo and lintian.txt) land in
# build-deb/; the build itself runs in a copy of the tree below it, removed
# afterwards, so neither the tree nor its parent folder gets build files.
# Installs the packaging tools and the build dependencies with apt-get first
# when any is missing (through sudo when not run as root).
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$PWD
out=$tree/build-deb

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
apt_updated=
apt_install() {
    [ -n "$apt_updated" ] || "${sudo_cmd[@]}" apt-get update -q
    apt_updated=1
    "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "$@"
}

tools=(dpkg-dev debhelper fakeroot lintian)
missing=()
for p in "${tools[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] || apt_install "${missing[@]}"
if ! dpkg-checkbuilddeps 2>/dev/null; then
    [ -n "$apt_updated" ] || "${sudo_cmd[@]}" apt-get update -q
    apt_updated=1
    "${sudo_cmd[@]}" apt-get build-dep -y -q --no-install-recommends "$tree"
fi

version=$(dpkg-parsechangelog -S Version)
src=$out/vornel-$version
mkdir -p "$out"
rm -rf "$src"
rm -f "$out"/vornel_* "$out"/vornel-dbgsym_* "$out"/lintian.txt
trap 'rm -rf "$src"' EXIT

# The files of the tree as they are now, edits included, without build
# folders or anything git ignores.
mkdir -p "$src"
if git -C "$tree" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$tree" ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf - | tar -xf - -C "$src"
else
    tar --exclude='./build*' --exclude='./obj-*' -cf - . | tar -xf - -C "$src"
fi

start=$(date +%s)
# Through the lock that every build on this machine takes (2 cores, shared).
(cd "$src" && flock /tmp/vornel-build.lock dpkg-buildpackage -b -us -uc -j2)
echo "Package built in $(($(date +%s) - start)) s"

cd "$out"
changes=$(ls vornel_"${version}"_*.changes)
# An error fails the build (pipefail carries lintian's code through tee);
# everything else is listed, overridden tags with the reason.
lintian --fail-on error --info --display-level '>=pedantic' --show-overrides \
    --tag-display-limit 0 "$changes" | tee lintian.txt
deb=$(ls vornel_"${version}"_*.deb)
echo "$out/$deb: $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends
