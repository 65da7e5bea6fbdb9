#!/usr/bin/env bash
# Compares two generated SQLite databases of TABLES tables (about 17.5 columns each) that differ
# in about 2% of their tables, and prints the median wall time and the peak memory of
# `vantrel-cli compare` beside the time the sqlite3 shell needs to read both catalogs with one
# query each, one after the other (the sequential floor), measured in the same run; and the same
# comparison with --objects all (every kind of object besides the fields),
# whose time and memory are given against the default comparison's.
#
#   bash bench/catalog_bench.sh [TABLES...] [RUNS=n]   # default 1000 10000, RUNS=5
#   bash bench/catalog_bench.sh --scale [TABLES...]    # default 12500 25000 50000, RUNS=3
#
# --scale compares one database with itself (as a user checking a copy would), to show how time
# and memory grow with the number of tables; the floor is then the shell reading it twice.
# Generating 50,000 tables takes the shell several minutes: SQLite's own schema handling grows
# faster than linearly in the number of tables. Run from the project root after building.
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/bin/vantrel-cli
[ -x "$cli" ] || { echo "build first: bash scripts/build.sh" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

scale=0
runs=
sizes=()
for arg in "$@"; do
  case "$arg" in
    --scale) scale=1 ;;
    RUNS=*) runs=${arg#RUNS=} ;;
    *) sizes+=("$arg") ;;
  esac
done
if [ $scale = 1 ]; then
  [ ${#sizes[@]} -gt 0 ] || sizes=(12500 25000 50000)
  runs=${runs:-3}
else
  [ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
  runs=${runs:-5}
fi

catalog_query="SELECT m.name, p.* FROM sqlite_schema m JOIN pragma_table_info(m.name) p
               WHERE m.type IN ('table','view')"

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
# Wall seconds, to the millisecond, since a `date +%s%N` reading (time(1) gives hundredths only).
seconds_since() { awk -v a="$1" -v b="$(date +%s%N)" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }

printf '%8s %9s %6s %16s %14s %8s %10s %12s %12s %10s %9s %10s %9s\n' tables columns runs \
  sequential_floor_s vantrel_cli_s ratio peak_MB floor_peak_MB report_lines objects_s \
  x_default objects_MB x_default
for tables in "${sizes[@]}"; do
  rm -f "$work"/v*.db
  for variant in 0 1; do
    [ $scale = 1 ] && [ $variant = 1 ] && continue
    awk -v TABLES="$tables" -v VARIANT=$variant -v SEED=7 -f bench/generate_schema.awk |
      sqlite3 "$work/v$variant.db"
  done
  second=$work/v1.db
  [ $scale = 1 ] && second=$work/v0.db
  columns=$(sqlite3 "$work/v0.db" "SELECT count(*) FROM ($catalog_query)")
  # Warm the page cache once so that both sides read from memory.
  cat "$work/v0.db" "$second" >/dev/null
  floors=() clis=() objects=() peak_kb=0 floor_kb=0 objects_kb=0
  for _ in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/floor" bash -c \
      "sqlite3 '$work/v0.db' \"\$0\" >/dev/null && sqlite3 '$second' \"\$0\" >/dev/null" \
      "$catalog_query"
    floors+=("$(seconds_since "$start")")
    kb=$(tail -n 1 "$work/floor")
    [ "$kb" -gt "$floor_kb" ] && floor_kb=$kb
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/cli" "$cli" compare "$work/v0.db" "$second" \
      >"$work/report" || true
    clis+=("$(seconds_since "$start")")
    kb=$(tail -n 1 "$work/cli")  # time(1) may first note the exit status
    [ "$kb" -gt "$peak_kb" ] && peak_kb=$kb
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/cli" "$cli" compare --objects all "$work/v0.db" "$second" \
      >"$work/objects_report" || true
    objects+=("$(seconds_since "$start")")
    kb=$(tail -n 1 "$work/cli")
    [ "$kb" -gt "$objects_kb" ] && objects_kb=$kb
  done
  objects_s=$(printf '%s\n' "${objects[@]}" | median)
  floor_s=$(printf '%s\n' "${floors[@]}" | median)
  cli_s=$(printf '%s\n' "${clis[@]}" | median)
  ratio=$(awk -v a="$cli_s" -v b="$floor_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf '%8s %9s %6s %16s %14s %8s %10d %12d %12s %10s %9s %10d %9s\n' "$tables" "$columns" \
    "$runs" "$floor_s" "$cli_s" "$ratio" $((peak_kb / 1024)) $((floor_kb / 1024)) \
    "$(grep -c . "$work/report" || true)" "$objects_s" \
    "$(awk -v a="$objects_s" -v b="$cli_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')" \
    $((objects_kb / 1024)) \
    "$(awk -v a="$objects_kb" -v b="$peak_kb" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')"
done
