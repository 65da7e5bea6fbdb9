#!/usr/bin/env bash
# Runs the README's fleet example, as a reader would paste it, against the build folder $1, and
# checks what it promises: exit statuses 0, 1 and 2, the drifted pair grouped, their reports on
# disk and the JSON document.
set -euo pipefail
example=$(bash "$(dirname "$0")/readme-example.sh" "Checking a fleet in CI" "$1")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
output=$(bash -c "$example" 2>&1) || { echo "$output"; echo "the example failed" >&2; exit 1; }
fail() { echo "$output"; echo "$1" >&2; exit 1; }
statuses=$(grep -o 'exit status [0-9]*' <<<"$output" | tr '\n' ' ')
[ "$statuses" = "exit status 0 exit status 1 exit status 2 " ] ||
  fail "expected exit statuses 0, 1, 2; got: $statuses"
grep -qx 'device_03.db: 3 differences' <<<"$output" || fail "no line for the drifted device"
grep -qx '2 targets differ the same way: device_03.db, device_05.db' <<<"$output" ||
  fail "the drifted devices are not grouped"
grep -qx '6 targets: 4 identical, 2 differ, 0 could not be compared' <<<"$output" ||
  fail "no summary line"
[ "$(ls drift)" = "$(printf 'device_03.db.txt\ndevice_05.db.txt')" ] || fail "reports: $(ls drift)"
grep -q "Field: 'unit' exists in table 'device_03.db" drift/device_03.db.txt ||
  fail "the report of device_03.db is not its report"
grep -q '"status": "failed"' fleet.json || fail "fleet.json does not hold the missing device"
echo "README fleet example: exit statuses 0, 1, 2 as described"
