#!/usr/bin/env bash
# Builds Vornel and runs every test; the exit code is non-zero when any fails.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
cd build
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
