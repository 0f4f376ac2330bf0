#!/usr/bin/env bash
# Installs the Debian packages Vornel builds and tests with, when any is missing.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-multimedia-dev libgl-dev
    libsqlite3-dev libjpeg62-turbo-dev
    # Reading the Windows version's Jet databases (in the vornel-jet-export
    # helper only).
    mdbtools-dev
    fonts-liberation
    libgtest-dev
    libical-dev
    poppler-utils
    desktop-file-utils appstream dbus-daemon
    qtkeychain-qt6-dev python3 python3-radicale openssl
    # Playing sounds at run time (the sound player program goes through
    # GStreamer to the desktop's PulseAudio or PipeWire server), and the sound
    # server the sound tests start for themselves.
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio
    pulseaudio
    # A display with a window manager, for the tests of the real program's
    # window (frames, closing by the title bar).
    xvfb openbox wmctrl
    # The accessibility registry and its Python client, for the test that
    # reads the program as a screen reader does.
    at-spi2-core python3-pyatspi
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
