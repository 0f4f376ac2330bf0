#!/usr/bin/env bash
# Configures and builds Vornel into build/ (after installing missing packages).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build build --parallel "$(nproc)"
