#!/usr/bin/env bash
# Configures and builds Vornel into build/ (after installing missing packages).
# Options (tools/build.sh -DVORNEL_WERROR=ON) configure an existing build again.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
elif [ $# -gt 0 ]; then
    # The build keeps its generator and build type; only the options given change.
    cmake -S . -B build "$@"
fi
cmake --build build --parallel "$(nproc)"
