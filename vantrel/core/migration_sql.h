// How a database's definitions are written as SQL in the dialect of the database a migration
// script runs on: names quoted, a column's type (from the type table across engines), its
// default, collation and generation, a table with its keys and checks, an index, a foreign key,
// a trigger, a view. What the target cannot express is not guessed: it is named in `unwritten`,
// and the caller holds the statement back with those words.
#ifndef VANTREL_VANTREL_CORE_MIGRATION_SQL_H_
#define VANTREL_VANTREL_CORE_MIGRATION_SQL_H_

#include <QString>
#include <QStringList>
#include <utility>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/data_objects.h"

namespace vantrel {

using dataaccess::TypeDialect;

// The dialect of an engine as DataConnection::Engine names it; kOther for one Vantrel writes no
// SQL for (ODBC, an unknown snapshot).
TypeDialect DialectOfEngine(const QString& engine);

// What SQLite's CREATE TABLE says of a table beyond its columns and constraints.
struct SqliteTableOptions {
  bool autoincrement = false;  // its rowid alias never gives a number again (sqlite_sequence)
  bool without_rowid = false;
  bool strict = false;  // a value of another type than its column's is refused

  // The options `objects` tells; none for null.
  static SqliteTableOptions Of(const dataaccess::TableObjects* objects);
};

class MigrationSql {
 public:
  // Writes definitions read from a database of `source` (its Engine) for a database of `target`.
  // `source_database` is the name of the database the definitions come from, which MySQL writes
  // into a view's query; `source_objects` what it says of itself (its default collation), null
  // when unknown.
  MigrationSql(TypeDialect target, TypeDialect source, QString source_database = QString(),
               const dataaccess::DatabaseObjects* source_objects = nullptr)
      : target_(target),
        source_(source),
        source_database_(std::move(source_database)),
        source_objects_(source_objects) {}

  TypeDialect target() const { return target_; }
  bool SameEngine() const { return target_ == source_; }

  // A name quoted for the target ("a""b", `a``b`); a table's name as the report gives it
  // ("schema.table" outside PostgreSQL's default schema) with its schema quoted apart.
  QString Name(const QString& name) const;
  QString TableName(const QString& report_name) const;
  QString Names(const QStringList& names) const;  // "a", "b"
  // A text as a string literal of the target.
  QString Literal(const QString& text) const;
  // An expression of `table` (a check, a partial index's condition, a generated column; null
  // when the caller has no table) as the target takes it, for the target's table `target` (null
  // when the statement makes it). Within one engine, as it is. Across engines, each name is
  // quoted as the target quotes it (a bare name of one of the table's columns as `target`
  // spells it where it has it, else as `table` does: PostgreSQL would fold a bare name to lower
  // case) and each string written as the target reads it; `portable` is false where the
  // expression holds what engines read differently or what this cannot tell: a function but
  // lower, upper, abs, coalesce and nullif, LIKE and its kin, a collation, ||, /, a cast that
  // remains, a word that names no column of `table`.
  QString Expression(const QString& expression, const dataaccess::DataTable* table,
                     const dataaccess::DataTable* target, bool* portable) const;

  // A column's definition: name, type, collation, generation, NOT NULL, default, numbering.
  // With `inline_key`, SQLite's INTEGER PRIMARY KEY for a rowid alias, AUTOINCREMENT as the
  // options say.
  QString ColumnDefinition(const dataaccess::DataTable& table, const dataaccess::DataColumn& column,
                           const SqliteTableOptions* inline_key, QStringList* unwritten) const;
  // The column's type alone, with its collation (for PostgreSQL's ALTER COLUMN ... TYPE).
  QString ColumnType(const dataaccess::DataTable& table, const dataaccess::DataColumn& column,
                     QStringList* unwritten) const;
  // The column's default as the target writes it after DEFAULT; empty for none.
  QString DefaultOf(const dataaccess::DataTable& table, const dataaccess::DataColumn& column,
                    QStringList* unwritten) const;

  // CREATE TABLE `name` with every column, the primary key, unique constraints and checks, and
  // with `foreign_keys` the foreign keys too; on SQLite with the table's own options, or with
  // `options` where given. WITHOUT ROWID on a table without a primary key goes to `unwritten`.
  QString CreateTable(const dataaccess::DataTable& table, const QString& name, bool foreign_keys,
                      QStringList* unwritten, const SqliteTableOptions* options = nullptr) const;
  // Whether CREATE TABLE writes `table` with SQLite's rowid alias, INTEGER PRIMARY KEY.
  bool HasRowidKey(const dataaccess::DataTable& table) const;
  QString PrimaryKeyClause(const dataaccess::PrimaryKeyDefinition& key) const;
  // Adds to `unwritten` what the target cannot express.
  QString UniqueClause(const dataaccess::IndexDefinition& index, QStringList* unwritten) const;
  // A check of `table`, for the target's table `target` (null when the statement makes it).
  QString CheckClause(const dataaccess::CheckDefinition& check, const dataaccess::DataTable& table,
                      const dataaccess::DataTable* target, QStringList* unwritten) const;
  QString ForeignKeyClause(const dataaccess::ForeignKeyDefinition& key,
                           QStringList* unwritten) const;
  QString CreateIndex(const QString& table, const dataaccess::IndexDefinition& index,
                      QStringList* unwritten) const;
  QString CreateTrigger(const QString& table, const dataaccess::TriggerDefinition& trigger,
                        QStringList* unwritten) const;
  QString CreateView(const QString& name, const QString& query, QStringList* unwritten) const;
  // What CREATE SEQUENCE and ALTER SEQUENCE write after the name: " INCREMENT BY 1 MINVALUE 1
  // MAXVALUE ... START WITH 1 NO CYCLE".
  QString SequenceOptions(const dataaccess::SequenceDefinition& sequence) const;

  // Whether `column` is part of `table`'s primary key.
  bool IsKeyColumn(const dataaccess::DataTable& table, const dataaccess::DataColumn& column) const;

 private:
  QString TypeOf(const dataaccess::DataColumn& column, QStringList* unwritten) const;
  // "the type int(10) unsigned of field 'n' (INTEGER holds other values)"
  static QString OtherValues(const dataaccess::DataColumn& column, const QString& type);
  // An enumeration's labels, as the column was read with them or as its type spells them.
  static QStringList LabelsOf(const dataaccess::DataColumn& column);
  // Where SQLite is given an enumeration of another engine: the column check that holds its
  // text to the labels; empty otherwise.
  QString LabelsCheck(const dataaccess::DataColumn& column) const;
  // The target's spelling of the column's kind and size, from the type table.
  QString TypeAcross(const dataaccess::DataColumn& column, QStringList* unwritten) const;

  // Whether `column` is SQLite's rowid alias of `table`, written INTEGER PRIMARY KEY.
  bool IsRowidKey(const dataaccess::DataTable& table, const dataaccess::DataColumn& column) const;
  // PostgreSQL's own clauses of an index: "NULLS NOT DISTINCT" where the unique index counts
  // NULLs as equal, and " INCLUDE (...)" where it has INCLUDE columns; empty where it has none,
  // and where the target cannot say them, what is lost goes to `unwritten` (`what` names the
  // index: "index ", "the unique key ").
  QString NullsNotDistinct(const dataaccess::IndexDefinition& index, QStringList* unwritten) const;
  QString Included(const dataaccess::IndexDefinition& index, const char* what,
                   QStringList* unwritten) const;

  TypeDialect target_;
  TypeDialect source_;
  QString source_database_;
  const dataaccess::DatabaseObjects* source_objects_;
};

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_MIGRATION_SQL_H_
