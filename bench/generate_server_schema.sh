#!/usr/bin/env bash
# Writes to standard output the SQL that creates one benchmark database's tables: TABLES tables
# of 5 to 30 columns each (about 17.5 on average), always the same for the same arguments.
#
#   generate_server_schema.sh pg|mysql a|b [TABLES]
#
# Every table has a primary key; every third one an index, every fifth a foreign key (to t00001),
# every tenth a check. Variant b differs from variant a in 2% of the tables: every 50th table, in
# turn, is missing, has one column more, or has a column of another length; and in 2% of their
# objects: of every 150 tables, one lacks its index, one has a foreign key that cascades deletes,
# and one a changed check.
# PostgreSQL tables are created in transactions of 500 tables (one transaction for all would
# need more locks than a default server has); MySQL commits every DDL statement anyway.
set -euo pipefail
dialect=${1:?pg or mysql}
variant=${2:?a or b}
tables=${3:-10000}
case "$dialect" in pg | mysql) ;; *) echo "unknown dialect $dialect" >&2; exit 2 ;; esac
case "$variant" in a | b) ;; *) echo "unknown variant $variant" >&2; exit 2 ;; esac

awk -v dialect="$dialect" -v variant="$variant" -v tables="$tables" '
BEGIN {
  if (dialect == "pg") {
    split("integer|varchar(40)|numeric(12,2)|text|timestamp|bigint|boolean|date|real|char(8)", types, "|")
    begin = "BEGIN;"; commit = "COMMIT;"
  } else {
    split("INT|VARCHAR(40)|DECIMAL(12,2)|TEXT|DATETIME|BIGINT|TINYINT|DATE|FLOAT|CHAR(8)", types, "|")
    begin = ""; commit = ""
  }
  for (t = 1; t <= tables; t++) {
    if ((t - 1) % 500 == 0 && begin != "") print begin
    columns = 5 + (t * 7919) % 26
    change = (variant == "b" && t % 50 == 0) ? (t / 50) % 3 : -1
    m = t % 150
    object_change = variant != "b" ? -1 : m == 3 ? 0 : m == 55 ? 1 : m == 101 ? 2 : -1
    if (change != 0) {
      line = sprintf("CREATE TABLE t%05d (id %s NOT NULL PRIMARY KEY", t, types[1])
      for (c = 2; c <= columns; c++) {
        type = types[1 + (t + c) % 10]
        if (change == 2 && c == 2) type = (dialect == "pg") ? "varchar(80)" : "VARCHAR(80)"
        line = line sprintf(", c%02d %s", c, type)
      }
      if (change == 1) line = line sprintf(", extra %s", types[2])
      if (t > 1 && t % 5 == 0) {
        line = line sprintf(", parent %s, FOREIGN KEY (parent) REFERENCES t00001 (id)", types[1])
        if (object_change == 1) line = line " ON DELETE CASCADE"
      }
      if (t % 10 == 1) line = line sprintf(", CHECK (id %s 0)", object_change == 2 ? ">=" : ">")
      print line ");"
      if (t % 3 == 0 && object_change != 0) printf "CREATE INDEX ix%05d ON t%05d (c02);\n", t, t
    }
    if (t % 500 == 0 && commit != "") print commit
  }
  if (tables % 500 != 0 && commit != "") print commit
}'
