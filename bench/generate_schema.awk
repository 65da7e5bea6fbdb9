# Writes the SQL of a generated schema: TABLES tables of 5 to 30 columns each, each with a
# primary key; 30% with an index, 20% with a foreign key (to table_1), 10% with a check. With
# VARIANT=1, about 2% of the tables differ: a column dropped, a type or size changed, a column
# added, a NOT NULL added, or the table left out; and about 2% differ in their objects: the
# index left out, the foreign key cascading deletes, or the check changed. The same SEED gives
# the same schema on every run.
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
    line = "CREATE TABLE table_" t " (id INTEGER PRIMARY KEY"
    for (c = 2; c <= columns; c++) {
      type = column_type(rand()); r2 = rand(); r3 = rand()
      not_null = r2 < 0.3 ? " NOT NULL" : ""
      if (VARIANT && c == victim) {
        if (change == 1) continue
        if (change == 2) type = type == "INTEGER" ? "BIGINT" : "INTEGER"
        if (change == 4) not_null = not_null == "" ? " NOT NULL" : ""
      }
      line = line ", column_" c " " type not_null
    }
    if (VARIANT && change == 3) line = line ", added_column TEXT"
    if (has_key) {
      line = line ", parent_id INTEGER REFERENCES table_1 (id)"
      if (object_change == 2) line = line " ON DELETE CASCADE"
    }
    if (has_check) line = line ", CHECK (id " (object_change == 3 ? ">=" : ">") " 0)"
    if (VARIANT && change == 5) continue
    print line ");"
    if (has_index && object_change != 1) print "CREATE INDEX index_" t " ON table_" t " (id DESC);"
  }
  print "COMMIT;"
}
