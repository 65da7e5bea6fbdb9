#!/usr/bin/env bash
# Times `vantrel-cli compare` on the same pair of generated SQLite databases (default 10,000
# tables, differing in about 2% of them) in each output format, text, json and html, with the
# default comparison and with --objects all, and prints each one's median wall time and peak
# memory beside the text report's, measured in the same run. Run from the project root after
# building:
#   bash bench/report_formats_bench.sh [TABLES] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
tables=${1:-10000}
runs=${2:-5}
cli=build/bin/vantrel-cli
[ -x "$cli" ] || { echo "build first: bash scripts/build.sh" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for variant in 0 1; do
  awk -v TABLES="$tables" -v VARIANT=$variant -v SEED=7 -f bench/generate_schema.awk |
    sqlite3 "$work/v$variant.db"
done
cat "$work/v0.db" "$work/v1.db" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
formats=(text json html)
printf '%-12s %-6s %9s %9s %8s %10s\n' compared format seconds x_text peak_MB output_kB
for objects in fields all; do
  declare -A times=() peak_kb=() size_kb=()
  # The formats take turns within each run, so that a slower stretch of the machine falls on
  # all of them alike.
  for _ in $(seq 1 "$runs"); do
    for format in "${formats[@]}"; do
      /usr/bin/time -f '%e %M' -o "$work/t" "$cli" compare --objects "$objects" --format "$format" \
        "$work/v0.db" "$work/v1.db" >"$work/out" || true
      read -r seconds kb < <(tail -n 1 "$work/t")
      times[$format]+="$seconds "
      [ "$kb" -gt "${peak_kb[$format]:-0}" ] && peak_kb[$format]=$kb
      size_kb[$format]=$(($(stat -c %s "$work/out") / 1024))
    done
  done
  text_seconds=$(printf '%s\n' ${times[text]} | median)
  for format in "${formats[@]}"; do
    seconds=$(printf '%s\n' ${times[$format]} | median)
    printf '%-12s %-6s %9s %9s %8d %10d\n' "$objects" "$format" "$seconds" \
      "$(awk -v a="$seconds" -v b="$text_seconds" 'BEGIN { printf "%.2f", a / b }')" \
      $((peak_kb[$format] / 1024)) "${size_kb[$format]}"
  done
  unset times peak_kb size_kb
done
