#!/usr/bin/env bash
# The cost of a migration script beside the comparison it is planned from: two generated SQLite
# databases of TABLES tables that differ in about 2% of their tables (generate_schema.awk), the
# secondary holding ROWS rows in every table; the median wall time and peak memory of
#   compare --objects all PRIMARY SECONDARY      (what the script answers)
#   migrate PRIMARY SECONDARY                    (the script)
#   migrate --verify PRIMARY SECONDARY           (the script, proven on a copy)
# each measured in the same run, with the ratios the targets are stated in (migrate against
# compare, --verify against migrate).
#
#   bash bench/migrate_bench.sh [TABLES] [ROWS=n] [RUNS=n]   # default 10000, ROWS=100, RUNS=3
set -euo pipefail
cd "$(dirname "$0")/.."
cli=build/bin/vantrel-cli
[ -x "$cli" ] || { echo "build first: bash scripts/build.sh" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

tables=10000 rows=100 runs=3
for arg in "$@"; do
  case "$arg" in
    ROWS=*) rows=${arg#ROWS=} ;;
    RUNS=*) runs=${arg#RUNS=} ;;
    *) tables=$arg ;;
  esac
done

for variant in 0 1; do
  awk -v TABLES="$tables" -v VARIANT=$variant -v SEED=7 -f bench/generate_schema.awk |
    sqlite3 "$work/v$variant.db"
done
# Rows in every table of the secondary: each column gets a value its type takes.
python3 - "$work/v1.db" "$rows" <<'EOF'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
rows = int(sys.argv[2])
tables = [r[0] for r in db.execute(
    "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite%'")]
db.execute("PRAGMA foreign_keys = OFF")
for table in tables:
    columns = db.execute(f'PRAGMA table_info("{table}")').fetchall()
    names, values = [], []
    for _, name, declared, _, _, pk in columns:
        names.append(f'"{name}"')
        kind = declared.upper()
        if pk:
            values.append("value")
        elif "INT" in kind or "NUMERIC" in kind:
            values.append("1 + value % 7")  # a key of table_1, which foreign keys name
        else:
            values.append("'v' || value")
    db.execute(f'INSERT INTO "{table}" ({", ".join(names)}) '
               f'SELECT {", ".join(values)} FROM (WITH RECURSIVE n(value) AS '
               f'(SELECT 1 UNION ALL SELECT value + 1 FROM n WHERE value < {rows}) '
               f'SELECT value FROM n)')
db.commit()
EOF

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
seconds_since() { awk -v a="$1" -v b="$(date +%s%N)" 'BEGIN { printf "%.3f", (b - a) / 1e9 }'; }
# Runs the command RUNS times; prints its median seconds and peak MB.
measure() {
  local times=() peak=0 kb start
  for _ in $(seq 1 "$runs"); do
    start=$(date +%s%N)
    /usr/bin/time -f '%M' -o "$work/time" "$@" >"$work/out" 2>"$work/err" || true
    times+=("$(seconds_since "$start")")
    kb=$(tail -n 1 "$work/time")
    [ "$kb" -gt "$peak" ] && peak=$kb
  done
  printf '%s %d\n' "$(printf '%s\n' "${times[@]}" | median)" $((peak / 1024))
}

cat "$work/v0.db" "$work/v1.db" >/dev/null
read -r compare_s compare_mb < <(measure "$cli" compare --objects all "$work/v0.db" "$work/v1.db")
read -r migrate_s migrate_mb < <(measure "$cli" migrate "$work/v0.db" "$work/v1.db")
steps=$(grep -c '^-- Step ' "$work/out" || true)
held=$(grep -c '^-- HELD BACK: \|^-- NOT WRITTEN: ' "$work/out" || true)
read -r verify_s verify_mb < <(measure "$cli" migrate --verify "$work/v0.db" "$work/v1.db")
proven=$([ -s "$work/out" ] && echo yes || echo "no: $(head -c 200 "$work/err")")
printf '%8s %6s %5s %12s %10s %12s %10s %9s %11s %10s %11s %6s %5s %s\n' tables rows runs \
  compare_all_s compare_MB migrate_s migrate_MB x_compare verify_s verify_MB x_migrate steps \
  held proven
printf '%8s %6s %5s %12s %10s %12s %10s %9s %11s %10s %11s %6s %5s %s\n' "$tables" "$rows" \
  "$runs" "$compare_s" "$compare_mb" "$migrate_s" "$migrate_mb" \
  "$(awk -v a="$migrate_s" -v b="$compare_s" 'BEGIN { printf "%.2f", a / b }')" \
  "$verify_s" "$verify_mb" \
  "$(awk -v a="$verify_s" -v b="$migrate_s" 'BEGIN { printf "%.2f", a / b }')" \
  "$steps" "$held" "$proven"
