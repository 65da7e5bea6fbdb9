#!/usr/bin/env bash
# Builds the tests that need no database server with AddressSanitizer and UndefinedBehaviorSanitizer
# (clang) into build-asan/ and runs them. Any report fails the test that made it, and so the run.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sanitizer-env.sh
export QT_QPA_PLATFORM=offscreen

[ -f build-asan/CMakeCache.txt ] ||
  cmake -S . -B build-asan -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DVANTREL_SANITIZE=ON \
    -DVANTREL_SERVER_TESTS=OFF
# The build runs the test binaries too (to list their cases), under the same options.
cmake --build build-asan --parallel 2
ctest --test-dir build-asan --output-on-failure --timeout 600
