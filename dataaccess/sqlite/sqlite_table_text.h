// What SQLite keeps only in a table's, index's, view's or trigger's CREATE text, read from that
// text: checks and DEFERRABLE clauses, an index's terms and WHERE clause, a column's default,
// collation and generation, a view's query, a trigger's parts. Each reader throws SqlSyntaxError
// on text it cannot take apart.
#ifndef VANTREL_DATAACCESS_SQLITE_SQLITE_TABLE_TEXT_H_
#define VANTREL_DATAACCESS_SQLITE_SQLITE_TABLE_TEXT_H_

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <utility>
#include <vector>

#include "dataaccess/catalog/sql_tokens.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// What a CREATE TABLE text tells that no pragma does: its CHECK constraints, column and table
// ones alike, and of each foreign key clause in textual order, whether it is DEFERRABLE and
// INITIALLY DEFERRED; whether it numbers its rowid AUTOINCREMENT, and the table's options. A
// virtual table's arguments are its module's, not constraints.
struct TableText {
  std::vector<CheckDefinition> checks;
  std::vector<std::pair<bool, bool>> references;  // deferrable, initially deferred
  bool autoincrement = false;                     // its INTEGER PRIMARY KEY is AUTOINCREMENT
  bool without_rowid = false;                     // WITHOUT ROWID after the column list
  bool strict = false;                            // STRICT after the column list
};

// The key terms of a CREATE INDEX text, each without its ASC/DESC and COLLATE, and the text of
// its WHERE clause (empty for a full index).
struct IndexText {
  QStringList terms;
  QString predicate;
};

// A column's definition in a CREATE TABLE text, in SQLite's terms: its default as SQLite keeps
// it (the expression inside DEFAULT (...), otherwise the term as written, sign included; null
// when there is none), its collation (the last COLLATE clause, which is the one SQLite keeps,
// named as written) and a generated column's expression (GENERATED ALWAYS AS (expr), or
// AS (expr)), without the parentheses, and whether it is STORED rather than VIRTUAL.
struct ColumnText {
  QString name;
  QString default_value;
  QString collation;
  QString generated_expression;
  bool stored = false;
};

TableText ReadTableText(QStringView sql);

IndexText ReadIndexText(QStringView sql);

std::vector<ColumnText> ReadColumnTexts(QStringView sql);

// False when a table's SQL text cannot hold a COLLATE clause or a generated column: it has
// neither the word COLLATE nor AS as a word of its own (AS may touch a quote or a parenthesis,
// as in "a"AS(1)). Reads the UTF-8 text as SQLite keeps it, without copying it.
bool MayHoldCollationOrGeneration(QByteArrayView sql);

// A view's query: its CREATE VIEW text after the AS that ends the view's name and column list.
QString ReadViewText(QStringView sql);

// A trigger's CREATE TRIGGER text, in SQLite's grammar: one event, row triggers only, BEFORE
// where no timing is written.
TriggerDefinition ReadTriggerText(QStringView sql);

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SQLITE_SQLITE_TABLE_TEXT_H_
