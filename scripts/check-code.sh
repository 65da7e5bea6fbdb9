#!/usr/bin/env bash
# The rules that check themselves, after the build (scripts/test.sh runs this):
#  - every #include against ARCHITECTURE.md's table (scripts/check-layers.py, after its self-test);
#  - clang-format (.clang-format) over every C++ file, changing nothing;
#  - clang-tidy (.clang-tidy) over the sources that changed since BASE, with build/'s
#    compile_commands.json. BASE is $VANTREL_TIDY_BASE when set; else, on a branch, where it
#    leaves main; else (main itself, as in CI's fresh clone) the commit before HEAD; a clone
#    without that history checks every source. `bash scripts/clang-tidy-all.sh` checks them all.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

python3 scripts/check-layers.py --self-test
python3 scripts/check-layers.py
echo "layers: every include fits ARCHITECTURE.md"

git ls-files -z '*.cpp' '*.h' | xargs -0 "$(command -v clang-format-14 || command -v clang-format)" \
  --dry-run -Werror
echo "clang-format: no change"

base=${VANTREL_TIDY_BASE:-}
if [ -z "$base" ]; then
  main_ref=$(git rev-parse -q --verify main || git rev-parse -q --verify origin/main || true)
  if [ -n "$main_ref" ] && [ "$(git merge-base HEAD "$main_ref")" != "$(git rev-parse HEAD)" ]; then
    base=$(git merge-base HEAD "$main_ref")
  else
    base=$(git rev-parse -q --verify 'HEAD~' || true)
  fi
fi
if [ -z "$base" ]; then
  bash scripts/clang-tidy-all.sh "$build"
  echo "clang-tidy: every source clean"
  exit 0
fi
# The changed sources, and the sources that include a changed header.
mapfile -t changed < <(git diff --name-only --diff-filter=d "$base" -- '*.cpp' '*.h')
sources=()
for file in "${changed[@]}"; do
  case "$file" in
    *.cpp) sources+=("$file") ;;
    *.h) mapfile -t -O "${#sources[@]}" sources < <(git grep -l -F "#include \"$file\"" -- '*.cpp') ;;
  esac
done
# Only what the build compiles (a fuzzer is not in build/'s compile_commands.json).
mapfile -t compiled < <(python3 - "$build" "${sources[@]}" <<'PY'
import json, os, sys
known = {os.path.realpath(os.path.join(e["directory"], e["file"]))
         for e in json.load(open(os.path.join(sys.argv[1], "compile_commands.json")))}
for path in sorted(set(sys.argv[2:])):
    if os.path.realpath(path) in known:
        print(path)
PY
)
if [ ${#compiled[@]} -gt 0 ]; then
  bash scripts/clang-tidy-all.sh "$build" -- "${compiled[@]}"
fi
echo "clang-tidy: ${#compiled[@]} changed source(s) since $(git rev-parse --short "$base") clean"
