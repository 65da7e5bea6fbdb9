#!/usr/bin/env bash
# The command line in a pipeline, on the generated pair of catalog_bench.sh (TABLES tables, about
# 17.5 columns each, 2% of them differing). Prints the median wall time and peak memory of:
#   snapshot       `vantrel-cli snapshot` of the first database
#   read           `vantrel-cli compare --quiet` of that database with itself: what compare needs
#                  to read it (both sides are read at once, on two threads)
#   snap-compare   `vantrel-cli compare` of the two databases' snapshots
#   sqlite-compare `vantrel-cli compare` of the two SQLite databases
#   json           `vantrel-cli compare --format json` of the two SQLite databases
# and the ratios the targets are set on: snapshot/read (at most 1.2), snap-compare/sqlite-compare
# (at most 1.0) and json/sqlite-compare (at most 1.1); peak memory under 100 MB in all.
#
#   bash bench/snapshot_bench.sh [TABLES] [RUNS=n]   # default 10000, RUNS=5
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/bin/vantrel-cli
[ -x "$cli" ] || { echo "build first: bash scripts/build.sh" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tables=10000
runs=5
for arg in "$@"; do
  case "$arg" in
    RUNS=*) runs=${arg#RUNS=} ;;
    *) tables=$arg ;;
  esac
done

for variant in 0 1; do
  awk -v TABLES="$tables" -v VARIANT=$variant -v SEED=7 -f bench/generate_schema.awk |
    sqlite3 "$work/v$variant.db"
  "$cli" snapshot "$work/v$variant.db" -o "$work/s$variant.json"
done
cat "$work"/v*.db "$work"/s*.json >/dev/null  # every run reads from the page cache

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# measure NAME COMMAND...: sets seconds[NAME] (median) and peak_mb[NAME] (largest).
declare -A seconds peak_mb
measure() {
  local name=$1 times=() kb=0 s k
  shift
  for _ in $(seq 1 "$runs"); do
    /usr/bin/time -f '%e %M' -o "$work/time" "$@" >"$work/out" || true
    read -r s k < <(tail -n 1 "$work/time")  # time(1) may first note the exit status
    times+=("$s")
    [ "$k" -gt "$kb" ] && kb=$k
  done
  seconds[$name]=$(printf '%s\n' "${times[@]}" | median)
  peak_mb[$name]=$((kb / 1024))
}

measure snapshot "$cli" snapshot "$work/v0.db" -o "$work/again.json"
measure read "$cli" compare --quiet "$work/v0.db" "$work/v0.db"
measure snap-compare "$cli" compare "$work/s0.json" "$work/s1.json"
measure sqlite-compare "$cli" compare "$work/v0.db" "$work/v1.db"
measure json "$cli" compare --format json "$work/v0.db" "$work/v1.db"

ratio() { awk -v a="${seconds[$1]}" -v b="${seconds[$2]}" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
echo "$tables tables, $(stat -c %s "$work/s0.json") bytes of snapshot, $runs runs"
printf '%-15s %9s %8s\n' measure seconds peak_MB
for name in snapshot read snap-compare sqlite-compare json; do
  printf '%-15s %9s %8s\n' "$name" "${seconds[$name]}" "${peak_mb[$name]}"
done
echo "snapshot/read $(ratio snapshot read) (target <= 1.2)," \
  "snap-compare/sqlite-compare $(ratio snap-compare sqlite-compare) (<= 1.0)," \
  "json/sqlite-compare $(ratio json sqlite-compare) (<= 1.1)"
