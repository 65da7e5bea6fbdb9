#!/usr/bin/env bash
# Configures (once) and builds the whole tree into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja
cmake --build build
