#!/usr/bin/env bash
# Writes to standard output the SQL that creates one benchmark database's tables: TABLES tables
# of 5 to 30 columns each (about 17.5 on average), always the same for the same arguments.
#
#   generate_server_schema.sh pg|mysql a|b [TABLES]
#
# Every table has a primary key; every third one an index, every fifth a foreign key (to t00001),
# every tenth a check; 30% of the columns have a default (a number, a quoted string, false, or
# CURRENT_TIMESTAMP on a timestamp); every 100 tables one view, and every 200 one trigger.
# Variant b differs from variant a in 2% of the tables: every 50th table, in turn, is missing,
# has one column more, or has a column of another length; in 2% of their objects: of every 150
# tables, one lacks its index, one has a foreign key that cascades deletes, and one a changed
# check; and in a changed default in 2% of the tables, a changed view in 2% of the views, and 2%
# of the triggers left out.
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
    split("0|\047pending\047|0.00|\047\047|CURRENT_TIMESTAMP|0|false|\0472000-01-01\047|1.5|\047A\047", defaults, "|")
    split("1|\047changed\047|1.00|\047changed\047|\0472000-01-01 00:00:00\047|1|true|\0472001-01-01\047|2.5|\047B\047", changed_defaults, "|")
    begin = "BEGIN;"; commit = "COMMIT;"
    # What the triggers run; created in the first transaction, before any trigger.
    function_sql = "CREATE FUNCTION keep_rows() RETURNS trigger LANGUAGE plpgsql AS " \
                   "$$ BEGIN RAISE EXCEPTION \047rows are kept\047; END $$;"
    trigger_action = "EXECUTE FUNCTION keep_rows()"
  } else {
    split("INT|VARCHAR(40)|DECIMAL(12,2)|TEXT|DATETIME|BIGINT|TINYINT|DATE|FLOAT|CHAR(8)", types, "|")
    split("0|\047pending\047|0.00|\047\047|CURRENT_TIMESTAMP|0|0|\0472000-01-01\047|1.5|\047A\047", defaults, "|")
    split("1|\047changed\047|1.00|\047changed\047|\0472000-01-01 00:00:00\047|1|1|\0472001-01-01\047|2.5|\047B\047", changed_defaults, "|")
    begin = ""; commit = ""
    trigger_action = "SIGNAL SQLSTATE \04745000\047 SET MESSAGE_TEXT = \047rows are kept\047"
  }
  for (t = 1; t <= tables; t++) {
    if ((t - 1) % 500 == 0 && begin != "") print begin
    if (t == 1 && function_sql != "") print function_sql
    columns = 5 + (t * 7919) % 26
    change = (variant == "b" && t % 50 == 0) ? (t / 50) % 3 : -1
    m = t % 150
    object_change = variant != "b" ? -1 : m == 3 ? 0 : m == 55 ? 1 : m == 101 ? 2 : -1
    if (change != 0) {
      line = sprintf("CREATE TABLE t%05d (id %s NOT NULL PRIMARY KEY", t, types[1])
      default_changed = 0
      for (c = 2; c <= columns; c++) {
        kind = 1 + (t + c) % 10
        type = types[kind]
        if (change == 2 && c == 2) type = (dialect == "pg") ? "varchar(80)" : "VARCHAR(80)"
        line = line sprintf(", c%02d %s", c, type)
        # Never on the column whose type variant b changes: the default is of the type in a.
        if ((t * 13 + c * 7) % 10 < 3 && !(t % 50 == 0 && (t / 50) % 3 == 2 && c == 2)) {
          change_default = variant == "b" && t % 50 == 25 && !default_changed
          line = line " DEFAULT " (change_default ? changed_defaults[kind] : defaults[kind])
          if (change_default) default_changed = 1
        }
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
    # On tables that both variants have, unchanged.
    if (t % 100 == 99) {
      view = (t + 1) / 100
      printf "CREATE VIEW v%05d AS SELECT id, c03 FROM t%05d WHERE id > %d;\n", view, t,
             (variant == "b" && view % 50 == 3) ? 1 : 0
    }
    if (t % 200 == 149) {
      trigger = (t + 51) / 200
      if (!(variant == "b" && trigger % 50 == 2))
        printf "CREATE TRIGGER tg%05d BEFORE DELETE ON t%05d FOR EACH ROW %s;\n", trigger, t,
               trigger_action
    }
    if (t % 500 == 0 && commit != "") print commit
  }
  if (tables % 500 != 0 && commit != "") print commit
}'
