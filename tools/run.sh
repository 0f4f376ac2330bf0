#!/usr/bin/env bash
# Builds Vornel and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/build.sh
exec build/app/vornel "$@"
