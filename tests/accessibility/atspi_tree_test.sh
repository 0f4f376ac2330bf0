#!/bin/bash
# The real program on a fresh data folder, read through the desktop's
# accessibility registry as a screen reader reads it: a display of its own
# (Xvfb), a private session bus and the AT-SPI bus and registry on it.
# Usage: atspi_tree_test.sh PROGRAM. Exits 77 (skipped) without the tools.
set -u
program=${1:-}
here=$(cd "$(dirname "$0")" && pwd)
for tool in xvfb-run dbus-run-session openbox /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "missing $tool"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "missing python3-pyatspi"; exit 77; }

if [ "${1:-}" != "--inside" ]; then
    home=$(mktemp -d)
    trap 'rm -rf "$home"' EXIT
    xvfb-run -a dbus-run-session -- "$0" --inside "$program" "$home"
    exit $?
fi
program=$2
home=$3
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
# A runtime folder of its own: a Vornel the user has open elsewhere must not
# take this start over as its second instance.
export XDG_RUNTIME_DIR="$home/run"
mkdir -m 700 -p "$XDG_RUNTIME_DIR"
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
# A window manager, so that the program's window becomes active and takes
# the keyboard focus.
openbox >/dev/null 2>&1 &
wm=$!
VORNEL_HOME="$home" "$program" &
vornel=$!
/usr/bin/python3 "$here/read_tree.py" vornel
rc=$?
kill "$vornel" "$launcher" "$wm" 2>/dev/null
wait "$vornel" "$launcher" "$wm" 2>/dev/null
exit $rc
