#!/bin/bash
# Records what vantrel-cli prints in the end-to-end tests, in every output form, for checking
# that a change of how reports are made leaves every report as it was:
#   scripts/output-corpus.sh BUILD_DIR DIR     runs the tests, keeping one file per test in DIR
#   diff -r BEFORE AFTER                       zero lines when nothing changed
# Temporary folders and the test servers' ports differ from run to run and are written as
# /tmp/TMP and PORT.
set -euo pipefail
build=${1:?build folder}
out=${2:?corpus folder}
raw=$(mktemp -d)
trap 'rm -rf "$raw"' EXIT
(cd "$build" && VANTREL_OUTPUT_CORPUS="$raw" ctest -j2 -R \
  'Cli|Compare|Check|Cross|Engine|Fleet|Objects|Collation|Sequence|Written|Snapshot|Risk|OnUpdate' \
  >"$raw.log" 2>&1) || { tail -20 "$raw.log"; exit 1; }
rm -f "$raw.log"
mkdir -p "$out"
for file in "$raw"/*; do
  sed -E 's#/tmp/[^/ '"'"'"]+#/tmp/TMP#g; s#127\.0\.0\.1:[0-9]+#127.0.0.1:PORT#g; s#port([= ])[0-9]+#port\1PORT#g' \
    "$file" >"$out/$(basename "$file")"
done
echo "$(ls "$out" | wc -l) tests recorded in $out"
