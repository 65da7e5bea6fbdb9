#!/usr/bin/env bash
# Runs clang-tidy (the repository's .clang-tidy) over every C++ source of the build's
# compile_commands.json, or over the sources named as arguments; exit status 1 on any finding.
# By hand: bash scripts/clang-tidy-all.sh [BUILD_DIR] [-- FILE...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=build
if [ $# -gt 0 ] && [ "$1" != "--" ]; then build=$1; shift; fi
[ "${1:-}" = "--" ] && shift
[ -f "$build/compile_commands.json" ] || { echo "no $build/compile_commands.json: build first" >&2; exit 2; }
tidy=$(command -v clang-tidy-14 || command -v clang-tidy)
if [ $# -gt 0 ]; then
  files=("$@")
else
  # Every source of the tree the build compiles; generated files (moc, autogen) are not ours.
  mapfile -t files < <(python3 - "$build" <<'PY'
import json, os, sys
root = os.getcwd()
for entry in json.load(open(os.path.join(sys.argv[1], "compile_commands.json"))):
    path = os.path.relpath(os.path.join(entry["directory"], entry["file"]), root)
    if not path.startswith(("..", sys.argv[1] + "/")):
        print(path)
PY
  )
fi
[ ${#files[@]} -gt 0 ] || exit 0
# One clang-tidy per core; warnings from the headers of the tree count too (HeaderFilterRegex).
printf '%s\n' "${files[@]}" | sort -u |
  xargs -P "$(nproc)" -n 4 "$tidy" -p "$build" --quiet --warnings-as-errors='*' 2>/dev/null
