// Reads the rows of a `COPY (query) TO STDOUT` in PostgreSQL's text format. A catalog of a few
// hundred thousand columns then arrives as one line per row, where libpq's single-row mode builds
// a result object for every row and copies the column descriptions into each. On a comparison of
// two 10,000-table catalogs, COPY took a fifth off the client's CPU time.
#ifndef VANTREL_DATAACCESS_POSTGRES_POSTGRES_COPY_H_
#define VANTREL_DATAACCESS_POSTGRES_POSTGRES_COPY_H_

#include <libpq-fe.h>

#include <QString>
#include <functional>
#include <string_view>
#include <vector>

#include "dataaccess/postgres/postgres_export.h"

namespace dataaccess {

// The fields of one line of COPY's text format.
class POSTGRES_EXPORT CopyTextRow {
 public:
  // Splits `line` (with or without its newline) at its tabs and undoes the backslash escapes,
  // in place: the fields point into `line`. False when the line has not `expected_fields`
  // fields.
  bool Parse(char* line, size_t length, size_t expected_fields);

  // True for a field COPY wrote as \N.
  bool IsNull(size_t field) const { return fields_[field].data() == nullptr; }
  // The field's text; empty for NULL.
  std::string_view Field(size_t field) const { return fields_[field]; }

 private:
  std::vector<std::string_view> fields_;
};

// Runs `copy_query`, a COPY ... TO STDOUT with `fields` columns, and hands each row to `row` as it
// arrives. Throws kCatalogUnreadable, naming `target`, when the query fails or a row does not
// have `fields` fields; the connection is then left ready for the next query. An exception
// from `row` ends the read where it is.
POSTGRES_EXPORT void ForEachCopyRow(PGconn* conn, const char* copy_query, const QString& target,
                                    size_t fields,
                                    const std::function<void(const CopyTextRow&)>& row);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_POSTGRES_POSTGRES_COPY_H_
