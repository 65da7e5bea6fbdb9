#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors (the benchmark programs too, which
# nothing else builds), checks includes, format and clang-tidy (scripts/check-code.sh), runs the
# whole test suite; builds the Debian package and checks it (scripts/package-test.sh); then the
# tests that need no server once more under AddressSanitizer and UndefinedBehaviorSanitizer, and
# each fuzzer over its corpus for a short time (see README.md, "Sanitizers and fuzzing").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
[ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja
cmake -S . -B build -DVANTREL_WERROR=ON >/dev/null
bash scripts/build.sh
cmake --build build --target window_run screenshots
bash scripts/check-code.sh build
ctest --test-dir build --output-on-failure --timeout 300
bash scripts/package-test.sh
bash scripts/sanitizer-tests.sh
bash scripts/fuzz-smoke.sh
