# Writes the SQL of a generated schema: TABLES tables of 5 to 30 columns each, each with a
# primary key; 30% with an index, 20% with a foreign key (to table_1), 10% with a check; 30% of
# the columns with a default (a number, a quoted string, or CURRENT_TIMESTAMP on a timestamp);
# a view in every 100 tables and a trigger in every 200. With VARIANT=1, about 2% of the tables
# differ: a column dropped, a type or size changed, a column added, a NOT NULL added, or the
# table left out; and about 2% differ in their objects: the index left out, the foreign key
# cascading deletes, or the check changed; 2% of the tables have a default changed, 2% of the
# views another condition, and 2% of the triggers are left out. The same SEED gives the same
# schema on every run.
#
#   awk -v TABLES=10000 -v VARIANT=0 -v SEED=7 -f generate_schema.awk > a.sql
function column_type(r) {
  if (r < 0.30) return "INTEGER"
  if (r < 0.55) return "VARCHAR(" (10 + int(rand() * 200)) ")"
  if (r < 0.70) return "NUMERIC(" (5 + int(rand() * 10)) ",2)"
  if (r < 0.80) return "TIMESTAMP"
  if (r < 0.90) return "TEXT"
  return "BIGINT"
}
# The default of a column of `type`, or another one when `changed`.
function column_default(type, changed) {
  if (type == "TIMESTAMP") return changed ? "'2000-01-01 00:00:00'" : "CURRENT_TIMESTAMP"
  if (type ~ /^VARCHAR/) return changed ? "'changed'" : "'pending'"
  if (type == "TEXT") return changed ? "'changed'" : "''"
  if (type ~ /^NUMERIC/) return changed ? "1.25" : "0.50"
  return changed ? "1" : "0"
}
BEGIN {
  srand(SEED)
  print "BEGIN;"
  for (t = 1; t <= TABLES; t++) {
    columns = 5 + int(rand() * 26)
    change = rand() < 0.02 ? 1 + int(rand() * 5) : 0   # drawn for both variants alike
    victim = 2 + int(rand() * (columns - 1))
    # Drawn for both variants alike, so that the variants differ only where they should.
    has_index = rand() < 0.30; has_key = t > 1 && rand() < 0.20; has_check = rand() < 0.10
    object_change = rand() < 0.02 ? 1 + int(rand() * 3) : 0
    if (!VARIANT) object_change = 0
    # Views and triggers are made on a table that both variants have.
    if (change != 5) kept = t
    default_changed = 0
    line = "CREATE TABLE table_" t " (id INTEGER PRIMARY KEY"
    for (c = 2; c <= columns; c++) {
      type = column_type(rand()); r2 = rand(); r3 = rand()
      not_null = r2 < 0.3 ? " NOT NULL" : ""
      # Of the declared type, before any change below, so that the variants agree on it.
      default_clause = ""
      if (r3 < 0.3) {
        change_default = VARIANT && t % 50 == 7 && !default_changed
        default_clause = " DEFAULT " column_default(type, change_default)
        if (change_default) default_changed = 1
      }
      if (VARIANT && c == victim) {
        if (change == 1) continue
        if (change == 2) type = type == "INTEGER" ? "BIGINT" : "INTEGER"
        if (change == 4) not_null = not_null == "" ? " NOT NULL" : ""
      }
      line = line ", column_" c " " type not_null default_clause
    }
    if (VARIANT && change == 3) line = line ", added_column TEXT"
    if (has_key) {
      line = line ", parent_id INTEGER REFERENCES table_1 (id)"
      if (object_change == 2) line = line " ON DELETE CASCADE"
    }
    if (has_check) line = line ", CHECK (id " (object_change == 3 ? ">=" : ">") " 0)"
    if (!(VARIANT && change == 5)) {
      print line ");"
      if (has_index && object_change != 1) print "CREATE INDEX index_" t " ON table_" t " (id DESC);"
    }
    if (t % 100 == 0 && kept) {
      view = t / 100
      print "CREATE VIEW view_" view " AS SELECT id, id * 2 AS twice FROM table_" kept \
            " WHERE id > " (VARIANT && view % 50 == 3 ? 1 : 0) ";"
    }
    if (t % 200 == 100 && kept) {
      trigger = (t + 100) / 200
      if (!(VARIANT && trigger % 50 == 2))
        print "CREATE TRIGGER trigger_" trigger " BEFORE DELETE ON table_" kept \
              " BEGIN SELECT RAISE(ABORT, 'rows are kept'); END;"
    }
  }
  print "COMMIT;"
}
