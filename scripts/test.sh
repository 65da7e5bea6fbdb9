#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite; builds the Debian package and
# checks it (scripts/package-test.sh); then the tests that need no server once more under
# AddressSanitizer and UndefinedBehaviorSanitizer, and each fuzzer over its corpus for a short
# time (see README.md, "Sanitizers and fuzzing").
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
ctest --test-dir build --output-on-failure --timeout 300
bash scripts/package-test.sh
bash scripts/sanitizer-tests.sh
bash scripts/fuzz-smoke.sh
