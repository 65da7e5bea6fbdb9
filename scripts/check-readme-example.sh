#!/usr/bin/env bash
# Runs the README's complete CI example, as a reader would paste it, against the sample
# databases of build folder $1, and checks the exit statuses it promises: 0 on the unchanged
# database, 1 on the drifted one, and 1 again with the JSON artefact.
set -euo pipefail
example=$(bash "$(dirname "$0")/readme-example.sh" "Checking a database against a snapshot in CI" "$1")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
# The example commits; a CI machine may have no git identity of its own.
export GIT_AUTHOR_NAME=ci GIT_AUTHOR_EMAIL=ci@localhost GIT_COMMITTER_NAME=ci
export GIT_COMMITTER_EMAIL=ci@localhost
output=$(bash -c "$example" 2>&1) || { echo "$output"; echo "the example failed" >&2; exit 1; }
statuses=$(grep -o 'exit status [0-9]*' <<<"$output" | tr '\n' ' ')
if [ "$statuses" != "exit status 0 exit status 1 exit status 1 " ]; then
  echo "$output"
  echo "expected exit statuses 0, 1, 1; got: $statuses" >&2
  exit 1
fi
grep -q "Field: 'Phone' exists in table 'snapshot.live.Customers'" <<<"$output" ||
  { echo "$output"; echo "the drift report is missing" >&2; exit 1; }
grep -q '"differences"' schema-drift.json || { echo "schema-drift.json holds no differences" >&2; exit 1; }
git log --oneline | grep -q "Snapshot of the database structure" ||
  { echo "the snapshot was not committed" >&2; exit 1; }
echo "README CI example: exit statuses 0, 1, 1 as described"
