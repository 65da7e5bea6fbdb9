#!/usr/bin/env bash
# Times a comparison run in the main window against `vantrel-cli compare` on the same pair of
# generated SQLite databases (default 10,000 tables, about 170,000 columns, differing in about
# 2% of their tables), measured in one run, with the Differences tree filled by the run. The
# window runs on $DISPLAY when there is one,
# otherwise on Qt's offscreen platform. Run from the project root:
#   bash bench/window_bench.sh [TABLES] [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
tables=${1:-10000}
runs=${2:-3}
cmake --build build --target window_run vantrel-cli >/dev/null
[ -n "${DISPLAY:-}" ] || export QT_QPA_PLATFORM=offscreen
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for variant in 0 1; do
  awk -v TABLES="$tables" -v VARIANT=$variant -v SEED=7 -f bench/generate_schema.awk |
    sqlite3 "$work/v$variant.db"
done
cat "$work/v0.db" "$work/v1.db" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
cli_times=()
window_times=()
for _ in $(seq 1 "$runs"); do
  /usr/bin/time -f '%e' -o "$work/t" build/bin/vantrel-cli compare "$work/v0.db" "$work/v1.db" \
    >/dev/null || true
  cli_times+=("$(tail -n 1 "$work/t")")
  read -r seconds paints < <(build/bin/window_run "$work/v0.db" "$work/v1.db")
  window_times+=("$seconds")
done
cli=$(printf '%s\n' "${cli_times[@]}" | median)
window=$(printf '%s\n' "${window_times[@]}" | median)
printf 'tables %s  vantrel-cli %ss  window %ss  ratio %s  results-box paints in the last run %s\n' \
  "$tables" "$cli" "$window" "$(awk -v a="$window" -v b="$cli" 'BEGIN { printf "%.2f", a / b }')" \
  "$paints"
