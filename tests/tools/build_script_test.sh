#!/usr/bin/env bash
# tools/build.sh with stand-ins for cmake and tools/deps.sh, one row per case:
# a new build is configured with the generator and build type; an existing
# one again only when given options, and then with just those options.
# Argument: the source folder.
set -euo pipefail
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tree/tools" "$work/bin"
cp "$1/tools/build.sh" "$work/tree/tools/"
printf '#!/bin/sh\n' >"$work/tree/tools/deps.sh"
printf '#!/bin/sh\necho "cmake $*" >>"%s"\n' "$work/log" >"$work/bin/cmake"
chmod +x "$work/tree/tools/deps.sh" "$work/bin/cmake"
generator=
if command -v ninja >/dev/null; then generator=" -G Ninja"; fi
build="cmake --build build --parallel $(nproc)"
failed=0

# row name, whether build/CMakeCache.txt exists, options, the expected cmake calls
row() {
    rm -rf "$work/tree/build" "$work/log" && touch "$work/log"
    if [ "$2" = existing ]; then mkdir "$work/tree/build" && touch "$work/tree/build/CMakeCache.txt"; fi
    read -r -a options <<<"$3"
    PATH="$work/bin:$PATH" "$work/tree/tools/build.sh" "${options[@]}" >/dev/null
    if [ "$(cat "$work/log")" != "$(printf '%s\n' "${@:4}")" ]; then
        echo "FAIL: $1: expected"; printf '  %s\n' "${@:4}"; echo "got"; sed 's/^/  /' "$work/log"
        failed=1
    fi
}

row "a new build" new "" \
    "cmake -S . -B build$generator -DCMAKE_BUILD_TYPE=RelWithDebInfo" "$build"
row "a new build with options" new "-DVORNEL_WERROR=ON" \
    "cmake -S . -B build$generator -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORNEL_WERROR=ON" "$build"
row "an existing build" existing "" "$build"
row "new options reach an existing build" existing "-DVORNEL_WERROR=ON -DVORNEL_BUILD_BENCH=OFF" \
    "cmake -S . -B build -DVORNEL_WERROR=ON -DVORNEL_BUILD_BENCH=OFF" "$build"
exit $failed
