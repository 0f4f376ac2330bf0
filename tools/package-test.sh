#!/usr/bin/env bash
# Install test of the Debian package (run as root; CI runs it after the build):
# in a throwaway Debian root made by mmdebstrap, apt installs build-deb's
# vornel_*.deb and must pull in everything the program needs; the program
# starts offscreen, on X11 (Xvfb, when the host has it) and on Wayland (a
# headless Weston) to its first painted window; a sound reaches PulseAudio;
# the desktop entry, icons, metainfo and manual lie in their places and pass
# the validators; purging the package leaves nothing of it behind but the
# user's data. Builds the package first when there is none.
set -euo pipefail
cd "$(dirname "$0")/.."
tree=$PWD
out=$tree/build-deb
start_time=$(date +%s)

if [ "$(id -u)" -ne 0 ]; then
    echo "package-test: run as root (it makes a root with chroot and mounts)" >&2
    exit 1
fi
# In a mount namespace of its own: the root's mounts (the host's /dev among
# them) end with the test, even when it is killed.
if [ -z "${VORNEL_PACKAGE_TEST_NAMESPACE:-}" ] && command -v unshare >/dev/null; then
    VORNEL_PACKAGE_TEST_NAMESPACE=1 exec unshare --mount --propagation private "$0" "$@"
fi
arch=$(dpkg --print-architecture)
deb=$(ls "$out"/vornel_*_"$arch".deb 2>/dev/null | head -n 1 || true)
if [ -z "$deb" ]; then
    tools/package.sh
    deb=$(ls "$out"/vornel_*_"$arch".deb | head -n 1)
fi

export DEBIAN_FRONTEND=noninteractive
needed=(mmdebstrap desktop-file-utils appstream weston)
missing=()
for p in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

failures=0
checks=0
check() { # description, command...
    local what=$1
    shift
    checks=$((checks + 1))
    if "$@"; then
        echo "ok - $what"
    else
        echo "FAILED - $what"
        failures=$((failures + 1))
    fi
}

root=$(mktemp -d /tmp/vornel-root.XXXXXX)
xvfb_pid=
pulse_pid=
weston_pid=
mounted=()
cleanup() {
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    [ -z "$pulse_pid" ] || kill "$pulse_pid" 2>/dev/null || true
    [ -z "$weston_pid" ] || kill "$weston_pid" 2>/dev/null || true
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
    # Never delete through a mount that is still there (the host's /dev).
    if findmnt -rn -o TARGET | grep -q "^$root/"; then
        echo "package-test: $root still has mounts, left in place" >&2
    else
        rm -rf "$root"
    fi
}
trap cleanup EXIT

# The host's own sources and release: the package was built against its
# libraries. The host's downloaded packages are linked in as apt's cache, so
# that only what is missing there is fetched.
sources=()
for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] && grep -q '^[^#[:space:]]' "$f" && sources+=("$f")
done
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
echo "Making a $suite root in $root"
mmdebstrap --quiet --variant=apt --mode=root --include=passwd \
    --skip=cleanup/apt/lists --skip=essential/unlink \
    --setup-hook='mkdir -p "$1"/var/cache/apt/archives && { cp -l /var/cache/apt/archives/*.deb "$1"/var/cache/apt/archives/ 2>/dev/null || true; }' \
    "$suite" "$root" "${sources[@]}"

for m in proc sys dev; do
    case $m in
        proc) mount -t proc proc "$root/proc" ;;
        sys) mount -t sysfs -o ro sysfs "$root/sys" ;;
        dev) mount --bind /dev "$root/dev" ;;
    esac
    mounted+=("$root/$m")
done
in_root() { chroot "$root" "$@"; }

# Every path outside the places that change on their own (apt's and dpkg's
# state, logs, caches) and outside the users' homes.
snapshot() {
    (cd "$root" && find . \( -path ./proc -o -path ./sys -o -path ./dev -o -path ./tmp \
        -o -path ./run -o -path ./home -o -path ./root -o -path ./var/cache \
        -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./var/log \) -prune \
        -o -print | sed 's|^\.||' | sort)
}

cp "$deb" "$root/tmp/"
debname=$(basename "$deb")

# --- installing pulls in everything ---------------------------------------
quietly() { "$@" >>"$root/tmp/apt.log" 2>&1 || { tail -n 30 "$root/tmp/apt.log"; return 1; }; }
check "apt resolves the package with its recommendations" \
    quietly in_root apt-get install --simulate -q "/tmp/$debname"
check "apt installs the package and its dependencies (no recommendations)" \
    quietly in_root apt-get install -y -q --no-install-recommends "/tmp/$debname"
grep -E "^[0-9]+ upgraded, [0-9]+ newly installed" "$root/tmp/apt.log" | tail -n 1 || true

installed() { in_root dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
for p in vornel libqt6gui6 qt6-wayland libqt6multimedia6 gstreamer1.0-plugins-base \
    gstreamer1.0-plugins-good libsecret-1-0 fonts-liberation; do
    check "$p is installed" installed "$p"
done

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=/usr/lib/$multiarch
present() { compgen -G "$root$1" >/dev/null; }
check "Qt's X11 platform plugin" present "$lib/qt6/plugins/platforms/libqxcb.so"
check "Qt's Wayland platform plugin" present "$lib/qt6/plugins/platforms/libqwayland-*.so"
check "Qt Multimedia's GStreamer backend" present "$lib/qt6/plugins/multimedia/libgstreamermediaplugin.so"
for element in playback typefindfunctions audioconvert audioresample wavparse pulseaudio; do
    check "GStreamer's $element elements" present "$lib/gstreamer-1.0/libgst$element.so"
done
check "libsecret, which QtKeychain opens by name" present "$lib/libsecret-1.so.0"
check "\"Arial\" is drawn with Liberation Sans" \
    bash -c "chroot '$root' fc-match Arial | grep -q 'Liberation Sans'"
check "\"Times New Roman\" is drawn with Liberation Serif" \
    bash -c "chroot '$root' fc-match 'Times New Roman' | grep -q 'Liberation Serif'"

no_missing_libraries() {
    local f
    for f in "$@"; do
        if in_root ldd "$f" | grep "not found"; then return 1; fi
    done
}
programs=$(in_root dpkg -L vornel | grep -E '^/usr/(bin|libexec)/' | while read -r f; do
    [ -f "$root$f" ] && [ -x "$root$f" ] && echo "$f"; done || true)
# shellcheck disable=SC2086
check "every program of the package finds its libraries: $(echo $programs)" \
    no_missing_libraries $programs
check "the platform plugins find their libraries" \
    no_missing_libraries "$lib/qt6/plugins/platforms/libqxcb.so" \
    $(cd "$root" && ls ."$lib"/qt6/plugins/platforms/libqwayland-*.so | sed 's|^\.||')

# --- desktop integration in its installed places ---------------------------
share=$root/usr/share
id=org.vornel.Vornel
check "desktop entry is valid" desktop-file-validate "$share/applications/$id.desktop"
check "AppStream metainfo is valid" appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml"
check "metainfo names a screenshot and a release" \
    bash -c "grep -q '<screenshot ' '$share/metainfo/$id.metainfo.xml' && grep -q '<release ' '$share/metainfo/$id.metainfo.xml'"
png_size() { # file -> "WxH" from the PNG header
    local hex
    hex=$(od -An -tx1 -j16 -N8 "$1" | tr -d ' \n')
    echo "$((16#${hex:0:8}))x$((16#${hex:8:8}))"
}
icon_ok() {
    local f=$share/icons/hicolor/${1}x${1}/apps/$id.png
    [ -f "$f" ] && [ "$(png_size "$f")" = "${1}x${1}" ]
}
for size in 16 22 24 32 48 64 128 256; do
    check "icon of ${size} pixels" icon_ok "$size"
done
check "scalable icon" test -s "$share/icons/hicolor/scalable/apps/$id.svg"
check "manual" grep -qi "<html" "$share/vornel/manual/index.html"
check "manual page" test -s "$share/man/man1/vornel.1.gz"
check "copyright" test -s "$share/doc/vornel/copyright"

# --- the program starts to its first paint ---------------------------------
in_root useradd --create-home tester
runtime=/tmp/runtime-tester
install -d -m 700 -o "$(in_root id -u tester)" -g "$(in_root id -g tester)" "$root$runtime"
run_vornel() { # platform, extra environment...
    local platform=$1
    shift
    timeout 120 chroot --userspec=tester:tester "$root" env -i PATH=/usr/bin:/bin \
        HOME=/home/tester USER=tester LANG=C.UTF-8 XDG_RUNTIME_DIR=$runtime \
        QT_QPA_PLATFORM="$platform" VORNEL_QUIT_AFTER_FIRST_PAINT=1 "$@" vornel
}
check "vornel starts offscreen to its first paint (first start, new data)" \
    run_vornel offscreen
data=$root/home/tester/.local/share/vornel
check "the first start made the user's database" test -s "$data/DB.vdbv2"
check "vornel starts offscreen again on its data" run_vornel offscreen
# On X11 as on a desktop, when the host has Xvfb: the X socket is lent in.
if command -v Xvfb >/dev/null; then
    display=
    for n in $(seq 71 99); do
        [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
    done
    Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
    mkdir -p "$root/tmp/.X11-unix"
    mount --bind /tmp/.X11-unix "$root/tmp/.X11-unix"
    mounted+=("$root/tmp/.X11-unix")
    check "vornel starts on X11 (xcb) to its first paint" run_vornel xcb "DISPLAY=:$display"
    umount "$root/tmp/.X11-unix" && unset 'mounted[-1]'
    kill "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
fi

# On Wayland, when the host has Weston: a headless one, its socket in the root.
if command -v weston >/dev/null; then
    install -d -m 700 -o "$(in_root id -u tester)" "$root/tmp/wayland"
    XDG_RUNTIME_DIR=$root/tmp/wayland weston --backend=headless-backend.so \
        --socket=wayland-test --idle-time=0 >"$root/tmp/weston.log" 2>&1 &
    weston_pid=$!
    for _ in $(seq 100); do [ -S "$root/tmp/wayland/wayland-test" ] && break; sleep 0.1; done
    chmod 777 "$root/tmp/wayland/wayland-test" 2>/dev/null || true
    check "vornel starts on Wayland to its first paint" \
        run_vornel wayland WAYLAND_DISPLAY=/tmp/wayland/wayland-test
    kill "$weston_pid" 2>/dev/null && wait "$weston_pid" 2>/dev/null || true
    weston_pid=
fi

# --- a sound plays through GStreamer to a PulseAudio server ----------------
# The host's PulseAudio with a null sink stands for the desktop's sound server;
# its socket lies inside the root. This is where missing GStreamer elements
# showed: Qt Multimedia present, the sound never starting.
if command -v pulseaudio >/dev/null; then
    install -d -m 755 "$root/tmp/pulse"
    HOME=$root/tmp/pulse XDG_RUNTIME_DIR=$root/tmp/pulse XDG_CONFIG_HOME=$root/tmp/pulse \
        pulseaudio -n -v --daemonize=no --exit-idle-time=-1 --system=false --use-pid-file=no \
        -L module-null-sink \
        -L "module-native-protocol-unix auth-anonymous=1 socket=$root/tmp/pulse/native" \
        >"$root/tmp/pulse.log" 2>&1 &
    pulse_pid=$!
    for _ in $(seq 100); do [ -S "$root/tmp/pulse/native" ] && break; sleep 0.1; done
    chmod 777 "$root/tmp/pulse/native" 2>/dev/null || true
    # Half a second of a 440 Hz tone, 16-bit mono WAV.
    python3 - "$root/tmp/tone.wav" <<'EOF'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
    w.writeframes(b"".join(struct.pack("<h", int(8000 * math.sin(2 * math.pi * 440 * i / 22050)))
                           for i in range(11025)))
EOF
    chmod 644 "$root/tmp/tone.wav"
    play_tone() {
        timeout 60 chroot --userspec=tester:tester "$root" env -i PATH=/usr/bin:/bin \
            HOME=/home/tester XDG_RUNTIME_DIR=$runtime PULSE_SERVER=unix:/tmp/pulse/native \
            /usr/libexec/vornel/vornel-sound /tmp/tone.wav
    }
    # Its exit code alone is not enough: without the PulseAudio sink Qt falls
    # back to another sink and reports the sound played. The server must have
    # received the tone's stream (mono, 22050 Hz).
    tone_reached_server() {
        play_tone && grep -q "Created input .* 1ch 22050Hz" "$root/tmp/pulse.log"
    }
    check "vornel-sound plays a WAV file to the sound server" tone_reached_server
    kill "$pulse_pid" 2>/dev/null && wait "$pulse_pid" 2>/dev/null || true
    pulse_pid=
fi

# --- purging leaves nothing but the user's data ----------------------------
in_root dpkg -L vornel | sort >"$root/tmp/package-files.txt"
snapshot >"$root/tmp/installed.txt"
check "apt purges the package" quietly in_root apt-get purge -y -q vornel
snapshot >"$root/tmp/purged.txt"
check "dpkg knows no more of the package" \
    bash -c "! chroot '$root' dpkg-query -W -f='\${Status}' vornel 2>/dev/null | grep -q ."
left_of_package() { # package paths still there that are not shared folders
    local p
    while read -r p; do
        [ -e "$root$p" ] && [ ! -d "$root$p" ] && echo "$p"
    done <"$root/tmp/package-files.txt"
    for p in /usr/share/vornel /usr/libexec/vornel /usr/share/doc/vornel; do
        [ -e "$root$p" ] && echo "$p"
    done
    return 0
}
left=$(left_of_package)
check "none of the package's files is left" test -z "$left"
[ -z "$left" ] || echo "$left"
appeared=$(comm -13 "$root/tmp/installed.txt" "$root/tmp/purged.txt")
check "the purge made no file" test -z "$appeared"
[ -z "$appeared" ] || echo "$appeared"
gone_not_ours=$(comm -23 "$root/tmp/installed.txt" "$root/tmp/purged.txt" |
    comm -23 - "$root/tmp/package-files.txt")
check "the purge removed only the package's files" test -z "$gone_not_ours"
[ -z "$gone_not_ours" ] || echo "$gone_not_ours"
check "the user's data stays" test -s "$data/DB.vdbv2"

echo "package-test: $((checks - failures)) of $checks checks passed in $(($(date +%s) - start_time)) s"
[ "$failures" -eq 0 ]
