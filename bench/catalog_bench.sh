#!/usr/bin/env bash
# Compares two generated SQLite databases of TABLES tables (default 10000, about 170,000
# columns) that differ in about 2% of their tables, and prints the wall time and peak memory of
# `vantrel-cli compare` beside the time the sqlite3 shell needs to read both catalogs with one
# query each. Run from the project root after building: bash bench/catalog_bench.sh [TABLES...]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/bin/vantrel-cli
[ -x "$cli" ] || { echo "build first: bash scripts/build.sh" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

catalog_query="SELECT m.name, p.* FROM sqlite_schema m JOIN pragma_table_info(m.name) p
               WHERE m.type IN ('table','view')"

seconds() { /usr/bin/time -f '%e' -o "$work/t" "$@" >/dev/null 2>&1 || true; tail -n 1 "$work/t"; }

printf '%8s %9s %14s %14s %12s %8s %12s\n' tables columns catalog_read_s vantrel_cli_s ratio peak_MB report_lines
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000 10000)
for tables in "${sizes[@]}"; do
  for variant in 0 1; do
    rm -f "$work/v$variant.db"
    awk -v TABLES="$tables" -v VARIANT=$variant -v SEED=7 -f bench/generate_schema.awk |
      sqlite3 "$work/v$variant.db"
  done
  columns=$(sqlite3 "$work/v0.db" "SELECT count(*) FROM ($catalog_query)")
  # Warm the page cache once so that both sides read from memory.
  cat "$work/v0.db" "$work/v1.db" >/dev/null
  read_s=$(seconds bash -c "sqlite3 '$work/v0.db' \"$catalog_query\" && sqlite3 '$work/v1.db' \"$catalog_query\"")
  /usr/bin/time -f '%e %M' -o "$work/cli" "$cli" compare "$work/v0.db" "$work/v1.db" >"$work/report" || true
  read -r cli_s peak_kb < <(tail -n 1 "$work/cli")  # time(1) may first note the exit status
  ratio=$(awk -v a="$cli_s" -v b="$read_s" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }')
  printf '%8s %9s %14s %14s %12s %8d %12s\n' "$tables" "$columns" "$read_s" "$cli_s" "$ratio" \
    $((peak_kb / 1024)) "$(grep -c . "$work/report")"
done
