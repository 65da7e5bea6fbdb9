#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ (clang, with AddressSanitizer and UndefinedBehaviorSanitizer)
# into build-fuzz/, then runs each over its corpus in fuzz/corpus/, which keeps the input of every
# bug found so far, and goes on fuzzing for FUZZ_SECONDS (default 45) per harness. Any crash,
# sanitizer report or broken property fails the run; the input that did it is kept in
# build-fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/sanitizer-env.sh
seconds=${FUZZ_SECONDS:-45}

[ -f build-fuzz/CMakeCache.txt ] ||
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DVANTREL_SANITIZE=ON \
    -DVANTREL_FUZZ=ON -DVANTREL_SERVER_TESTS=OFF
cmake --build build-fuzz --parallel 2 --target fuzzers

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p build-fuzz/artifacts
failed=()
for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  mkdir -p "$work/$name"
  # New inputs go to the scratch folder: the corpus in the repository is only read.
  if "build-fuzz/fuzz/$name" -max_total_time="$seconds" -timeout=30 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/artifacts/$name-" "$work/$name" "$corpus" >"$work/$name.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/$name.log")
    echo "$name: ${runs:-?} runs in ${seconds} s over $(ls "$corpus" | wc -l) corpus files, no failure"
  else
    echo "$name FAILED:"
    tail -n 60 "$work/$name.log"
    failed+=("$name")
  fi
done
total=$(ls -d fuzz/corpus/*/ | wc -l)
echo "fuzzers: $((total - ${#failed[@]})) passed, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
