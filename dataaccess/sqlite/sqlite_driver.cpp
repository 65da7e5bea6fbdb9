#include "dataaccess/sqlite/sqlite_driver.h"

#include "dataaccess/data_engine.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

#include "dataaccess/catalog/name_bytes.h"
#include "dataaccess/catalog/shared_values.h"
#include "dataaccess/catalog/sql_tokens.h"
#include "dataaccess/errors.h"
#include "dataaccess/sqlite/read_only_vfs.h"
#include "dataaccess/sqlite/sqlite_file_check.h"
#include "dataaccess/sqlite/sqlite_process_settings.h"
#include "dataaccess/sqlite/sqlite_table_text.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr int kBusyTimeoutMs = 2000;

// Every user table and view with its columns, in one pass. The join scans sqlite_schema in rowid
// (creation) order and each table's columns in cid order, so a table's rows arrive together
// without the cost of sorting them. An INTEGER primary key is no rowid alias when SQLite keeps
// an index of origin 'pk' for it: in a WITHOUT ROWID table, and for INTEGER PRIMARY KEY DESC.
// SQLite says so itself; the CREATE text could hold the words anywhere. Each pragma call looks
// its table up by name, which costs SQLite more the more tables there are, so the index list is
// only asked of the tables that can have such an index: those that have an automatic index (an
// index row without SQL) and the WITHOUT ROWID ones, both listed once in `keyed`. Hidden columns
// of virtual tables (hidden = 1) are not columns a user declared; generated ones are 2 and 3.
// The table's SQL comes with its first column when it may hold a json_valid() check; each
// column's default, as SQLite keeps it, only when ?1 asks for it.
constexpr char kCatalogQuery[] = R"sql(
WITH keyed AS MATERIALIZED (
  SELECT tbl_name FROM sqlite_schema WHERE type = 'index' AND sql IS NULL
  UNION SELECT name FROM pragma_table_list WHERE schema = 'main' AND wr)
SELECT m.name, p.name, p.type, p."notnull", p.pk, p.hidden,
       CASE WHEN p.pk = 1 AND upper(p.type) = 'INTEGER' AND m.type = 'table'
                 AND m.name IN keyed
            THEN EXISTS (SELECT 1 FROM pragma_index_list(m.name, 'main') WHERE origin = 'pk')
            ELSE 0 END,
       CASE WHEN p.cid = 0 AND m.sql LIKE '%json\_valid%' ESCAPE '\' THEN m.sql END,
       m.type = 'view', CASE WHEN ?1 THEN p.dflt_value END
FROM sqlite_schema AS m JOIN pragma_table_xinfo(m.name, 'main') AS p
WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\_%' ESCAPE '\')sql";

// The slow path for a catalog that the one query cannot read as a whole (a view over a dropped
// table, a virtual table whose module is not loaded): tables first, then each one's columns.
constexpr char kTableListQuery[] = R"sql(
SELECT name,
       type = 'table' AND EXISTS (SELECT 1 FROM pragma_index_list(name, 'main') WHERE origin = 'pk'),
       sql, type = 'view'
FROM sqlite_schema
WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite\_%' ESCAPE '\' ORDER BY rowid)sql";
constexpr char kColumnQuery[] = R"sql(
SELECT NULL, name, type, "notnull", pk, hidden,
       CASE WHEN pk = 1 AND upper(type) = 'INTEGER' THEN ?2 ELSE 0 END,
       CASE WHEN cid = 0 THEN ?3 END, NULL, CASE WHEN ?4 THEN dflt_value END
FROM pragma_table_xinfo(?1, 'main') ORDER BY cid)sql";

// The indexes of every table besides those behind primary keys, each index's key columns in
// order. Driven by sqlite_schema's index rows, so that each pragma call looks up only tables
// that have an index, and indexes come in creation order; the SQL text comes along only where
// an expression or a WHERE clause must be taken out of it.
constexpr char kIndexQuery[] = R"sql(
SELECT s.tbl_name, s.name, l."unique", l.origin = 'u', x.cid, x.name, x."desc",
       CASE WHEN l.partial OR x.cid = -2 THEN s.sql END, l.partial, x.coll
FROM sqlite_schema AS s JOIN pragma_index_list(s.tbl_name, 'main') AS l ON l.name = s.name
     JOIN pragma_index_xinfo(s.name, 'main') AS x
WHERE s.type = 'index' AND l.origin <> 'pk' AND x.key)sql";

// Every foreign key, by table, id and column; only tables whose SQL names a parent are asked.
constexpr char kForeignKeyQuery[] = R"sql(
SELECT m.name, f.id, f."table", f."from", f."to", f.on_update, f.on_delete, f."match"
FROM sqlite_schema AS m JOIN pragma_foreign_key_list(m.name, 'main') AS f
WHERE m.type = 'table' AND m.sql LIKE '%references%')sql";

// The tables whose SQL text may hold a CHECK constraint or a deferrable foreign key, which
// SQLite keeps only there.
constexpr char kTableTextQuery[] = R"sql(
SELECT name, sql FROM sqlite_schema
WHERE type = 'table' AND (sql LIKE '%check%' OR sql LIKE '%deferrable%'
                          OR sql LIKE '%autoincrement%' OR sql LIKE '%without%'
                          OR sql LIKE '%strict%'))sql";

// Every table's SQL text, which holds each column's default, collation and generation as
// written (ALTER TABLE ADD COLUMN appends the column's definition to it). Virtual tables' texts
// hold their module's arguments, not column definitions.
constexpr char kColumnDetailQuery[] = R"sql(
SELECT name, sql FROM sqlite_schema
WHERE type = 'table' AND name NOT LIKE 'sqlite\_%' ESCAPE '\'
  AND sql NOT LIKE 'CREATE VIRTUAL %')sql";
// One table's columns as SQLite reads them, for a text whose column definitions could not be
// matched with them one by one.
constexpr char kColumnDefaultQuery[] = R"sql(
SELECT name, dflt_value, hidden FROM pragma_table_xinfo(?1, 'main') ORDER BY cid)sql";

// Views and triggers, as SQLite keeps their text; in creation order.
constexpr char kViewQuery[] = R"sql(
SELECT name, sql FROM sqlite_schema WHERE type = 'view' ORDER BY rowid)sql";
constexpr char kTriggerQuery[] = R"sql(
SELECT name, tbl_name, sql FROM sqlite_schema WHERE type = 'trigger' ORDER BY rowid)sql";

// True when a -wal file stands beside the database (of any size, even empty or damaged).
bool HasLog(const QString& path) {
  struct stat facts {};
  return ::lstat(NameToBytes(path + QStringLiteral("-wal")).constData(), &facts) == 0;
}

class Database {
 public:
  // Nothing of the database is ever written, created or deleted: every file is opened through a
  // file system that refuses to (read_only_vfs.h).
  //
  // A database in rollback-journal mode is read as any reader reads it, under a shared lock.
  //
  // A write-ahead-logged one would make SQLite create its -shm file (and a -wal file) beside the
  // user's database, or fail in a read-only folder. With a -wal, it is read instead without
  // locks, in exclusive locking mode, where SQLite keeps the WAL index in heap memory: the latest
  // committed state, -wal included, and no file created or touched. Such a connection believes it
  // is the database's last one and would checkpoint into the database and delete the -wal as it
  // closes, under the feet of a writer that still has it open; it is told not to. Without a -wal
  // there is no log to read: the database file alone is the committed state, read as immutable.
  // Without locks a writer may change the files during the read; the caller checks for that
  // (FileStamp) and reads again.
  Database(QString path, bool wal_snapshot) : path_(std::move(path)) {
    ApplySqliteProcessSettings();
    const bool with_log = wal_snapshot && HasLog(path_);
    QByteArray uri = "file:" + NameToBytes(path_).toPercentEncoding("/") + "?vfs=";
    uri += ReadOnlyVfsName(!wal_snapshot);
    if (wal_snapshot && !with_log) uri += "&immutable=1";
    const int rc =
        sqlite3_open_v2(uri.constData(), &db_,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) {
      // A failed open still hands back a handle, which holds the message and must be closed.
      const component::Error error = ErrorFor(rc);
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw error;
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (with_log) {
      sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
      sqlite3_exec(db_, "PRAGMA locking_mode = EXCLUSIVE", nullptr, nullptr, nullptr);
    }
  }
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return db_; }

  [[noreturn]] void Raise(int rc) const { throw ErrorFor(rc); }

  // Turns an SQLite result code into the error a user can act on.
  component::Error ErrorFor(int rc) const {
    const QString detail =
        db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int extended = db_ ? sqlite3_extended_errcode(db_) : rc;
    if (extended == SQLITE_READONLY_ROLLBACK) {
      return component::Error(
          kCatalogUnreadable, ErrorSource(),
          QStringLiteral("'%1' holds an unfinished transaction of a program that stopped while "
                         "writing (its -journal file); open it once with a program that may write "
                         "to it, such as sqlite3, so that SQLite rolls the transaction back")
              .arg(path_));
    }
    switch (rc & 0xFF) {
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        return component::Error(kDatabaseLocked, ErrorSource(),
                                QStringLiteral("'%1' is locked by another program (%2); try again "
                                               "when it has finished writing")
                                    .arg(path_, detail));
      case SQLITE_NOTADB:
        return component::Error(kNotADatabase, ErrorSource(),
                                QStringLiteral("'%1' is not an SQLite database").arg(path_));
      case SQLITE_CORRUPT:
        return component::Error(kDatabaseDamaged, ErrorSource(),
                                QStringLiteral("'%1' is damaged: %2").arg(path_, detail));
      case SQLITE_CANTOPEN:
      case SQLITE_PERM:
      case SQLITE_AUTH:
        return component::Error(component::kPathFileAccessError, ErrorSource(),
                                QStringLiteral("Cannot open '%1': %2").arg(path_, detail));
      default:
        return component::Error(
            kCatalogUnreadable, ErrorSource(),
            QStringLiteral("Cannot read the tables of '%1': %2").arg(path_, detail));
    }
  }

 private:
  QString path_;
  sqlite3* db_ = nullptr;
};

class Statement {
 public:
  Statement(const Database& db, const char* sql) : db_(db) {
    const int rc = sqlite3_prepare_v2(db.handle(), sql, -1, &stmt_, nullptr);
    if (rc != SQLITE_OK) db.Raise(rc);
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  void Bind(int index, const QByteArray& bytes) {
    sqlite3_bind_text(stmt_, index, bytes.constData(), static_cast<int>(bytes.size()),
                      SQLITE_TRANSIENT);
  }
  void Bind(int index, int value) { sqlite3_bind_int(stmt_, index, value); }

  // True while there is a row; throws on failure.
  bool Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    db_.Raise(rc);
  }
  int Int(int column) const { return sqlite3_column_int(stmt_, column); }
  bool IsNull(int column) const { return sqlite3_column_type(stmt_, column) == SQLITE_NULL; }
  QByteArrayView Utf8(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QByteArrayView(bytes, sqlite3_column_bytes(stmt_, column));
  }
  QString Text(int column) const {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
    return QString::fromUtf8(bytes, sqlite3_column_bytes(stmt_, column));
  }

 private:
  const Database& db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// A column's default in a row of pragma_table_xinfo: null where it has none, and never null
// where it has one, even an empty text.
QString DefaultIn(const Statement& row, int column) {
  if (row.IsNull(column)) return QString();
  const QString text = row.Text(column);
  return text.isNull() ? QString::fromUtf8("") : text;
}

// Collects one table's rows of the catalog queries (columns 1 to 7, and 9) into its column list.
// With `defaults` (a read of objects), its columns' defaults and its primary key go into its
// objects; a read of fields alone keeps no objects, which at ten thousand tables would hold
// megabytes that nothing compares.
class TableFiller {
 public:
  TableFiller(CatalogTable& table, DeclaredTypeCache& types, SharedTexts* defaults)
      : table_(table), types_(types), defaults_(defaults) {}

  void AddRow(const Statement& row) {
    if (!row.IsNull(7)) {
      try {
        for (const CheckDefinition& check : ReadTableText(row.Text(7)).checks) {
          const QString column = JsonCheckedColumn(check.expression);
          if (!column.isEmpty()) json_columns_.append(column);
        }
      } catch (const SqlSyntaxError&) {
        // The objects' pass reads the same text and fails the read with the reason.
      }
    }
    if (row.Int(5) == 1) return;  // a virtual table's hidden column
    ColumnDefinition column;
    column.name = NameFromBytes(row.Utf8(1));
    if (row.Int(4) > 0) primary_key_.emplace_back(row.Int(4), column.name);
    const QString declared = row.Text(2);
    column.type = types_.Classify(declared, &column.declared_type);
    column.ordinal_position = static_cast<int16_t>(++ordinal_);
    column.required = row.Int(3) != 0;
    if (row.Int(5) >= 2) column.type.attributes |= kGenerated;
    if (defaults_ != nullptr && !row.IsNull(9)) {
      ColumnDetails& details = details_.emplace_back();
      details.column = column.name;
      details.default_value = defaults_->Shared(DefaultIn(row, 9));
    }
    if (row.Int(4) > 0) {
      ++primary_key_columns_;
      if (row.Int(4) == 1 && declared.compare(u"INTEGER", Qt::CaseInsensitive) == 0 &&
          row.Int(6) == 0) {
        rowid_alias_ = static_cast<int>(pending_.size());
      }
    }
    pending_.push_back(std::move(column));
  }

  // An INTEGER column that is the whole primary key of a rowid table is the rowid itself:
  // SQLite numbers it and it can never be NULL. A text column that a CHECK holds to
  // json_valid() is a JSON document.
  void Finish() {
    if (primary_key_columns_ == 1 && rowid_alias_ >= 0) {
      ColumnDefinition& alias = pending_[static_cast<size_t>(rowid_alias_)];
      alias.type = RowidAlias(alias.type);
      alias.required = true;
    }
    for (ColumnDefinition& column : pending_) {
      if (json_columns_.contains(column.name, Qt::CaseInsensitive)) {
        column.type = AsJson(column.type);
      }
      table_.MutableColumns().Add(column);
    }
    if (defaults_ != nullptr && !primary_key_.empty()) {
      std::sort(primary_key_.begin(), primary_key_.end());
      PrimaryKeyDefinition& key = table_.MutableObjects().primary_key.emplace();
      for (const auto& [position, name] : primary_key_) key.columns.append(name);
    }
    if (!details_.empty()) table_.MutableObjects().columns = std::move(details_);
  }

 private:
  CatalogTable& table_;
  DeclaredTypeCache& types_;
  SharedTexts* defaults_;
  std::vector<ColumnDefinition> pending_;
  std::vector<ColumnDetails> details_;
  QStringList json_columns_;
  std::vector<std::pair<int, QString>> primary_key_;  // position in the key, column
  int ordinal_ = 0;
  int primary_key_columns_ = 0;
  int rowid_alias_ = -1;
};

// Returns false when the catalog cannot be read in one pass; `tables` is then to be discarded.
// With `defaults`, each column's default is read too (TableFiller).
bool ReadWholeCatalog(const Database& db, CatalogTables& tables, SharedTexts* defaults) {
  QByteArray current_name;
  DeclaredTypeCache types(TypeDialect::kSqlite);
  std::optional<TableFiller> filler;
  try {
    Statement query(db, kCatalogQuery);
    query.Bind(1, defaults != nullptr ? 1 : 0);
    while (query.Step()) {
      const QByteArrayView name = query.Utf8(0);
      if (!filler || name != current_name) {
        if (filler) filler->Finish();
        current_name = name.toByteArray();
        const QString table_name = NameFromBytes(name);
        if (tables.Contains(table_name)) return false;  // rows of one table did not arrive together
        filler.emplace(tables.AddTable(table_name, query.Int(8) != 0), types, defaults);
      }
      filler->AddRow(query);
    }
  } catch (const component::Error& error) {
    if (error.number() == kCatalogUnreadable) return false;
    throw;
  }
  if (filler) filler->Finish();
  return true;
}

void ReadCatalogTableByTable(const Database& db, CatalogTables& tables, SharedTexts* defaults) {
  struct Listed {
    QString name;
    int without_rowid = 0;
    QString sql;
    bool view = false;
  };
  std::vector<Listed> listed;
  Statement list(db, kTableListQuery);
  while (list.Step()) {
    listed.push_back({NameFromBytes(list.Utf8(0)), list.Int(1), list.Text(2), list.Int(3) != 0});
  }
  tables.Reserve(listed.size());
  DeclaredTypeCache types(TypeDialect::kSqlite);
  for (const Listed& table : listed) {
    TableFiller filler(tables.AddTable(table.name, table.view), types, defaults);
    try {
      Statement columns(db, kColumnQuery);
      columns.Bind(1, NameToBytes(table.name));
      columns.Bind(2, table.without_rowid);
      columns.Bind(3, table.sql.toUtf8());
      columns.Bind(4, defaults != nullptr ? 1 : 0);
      while (columns.Step()) filler.AddRow(columns);
      filler.Finish();
    } catch (const component::Error& error) {
      // A view whose definition no longer resolves has no columns to compare; the table is
      // still listed so that its presence is compared.
      if (error.number() != kCatalogUnreadable) throw;
    }
  }
}

ReferentialAction ActionNamed(const QString& name) {
  if (name == u"RESTRICT") return ReferentialAction::kRestrict;
  if (name == u"CASCADE") return ReferentialAction::kCascade;
  if (name == u"SET NULL") return ReferentialAction::kSetNull;
  if (name == u"SET DEFAULT") return ReferentialAction::kSetDefault;
  return ReferentialAction::kNoAction;  // "NO ACTION", also when the key names no action
}

// The failure of a read that cannot split the SQL text of `what` `name`.
component::Error Unsplittable(const QString& path, const QString& what, const QString& name,
                              const SqlSyntaxError& error) {
  return component::Error(
      kCatalogUnreadable, ErrorSource(),
      QStringLiteral("Cannot read the tables of '%1': the SQL text of %2 '%3' cannot be read "
                     "(%4 at character %5). Its fields can still be compared without its "
                     "keys, indexes and other objects")
          .arg(path, what, name, QString::fromUtf8(error.what()))
          .arg(error.offset() + 1));
}

// The table or view of that name: as named, or as SQLite matches names, without ASCII case (a
// trigger's ON clause keeps the name as its author wrote it).
CatalogTable* TableNamed(CatalogTables& tables, const QString& name) {
  if (CatalogTable* table = tables.FindExact(name)) return table;
  try {
    return tables.FindExact(tables.Item(name).Name());
  } catch (const component::Error&) {
    return nullptr;
  }
}

// Reads every column's collation and generation, each view's query and every trigger; returns
// the kinds of object it could tell. The defaults came with the columns (TableFiller); a table
// whose text is read here has them read again from it, with its other details.
int ReadDetails(const Database& db, const QString& path, CatalogTables& tables,
                SharedTexts& defaults) {
  {
    SharedCollations collations;
    const auto add = [&](CatalogTable& table, const QString& column, const ColumnText& text) {
      ColumnDetails details;
      details.column = column;
      if (!text.default_value.isNull()) details.default_value = defaults.Shared(text.default_value);
      if (!text.collation.isEmpty() &&
          text.collation.compare(u"BINARY", Qt::CaseInsensitive) != 0) {
        details.collation = collations.Shared({text.collation, QString(), QString(), true});
      }
      if (!text.generated_expression.isEmpty()) {
        details.generation = std::make_shared<const ColumnGeneration>(
            ColumnGeneration{text.generated_expression, text.stored});
      }
      if (!details.default_value.isNull() || details.collation || details.generation) {
        table.MutableObjects().columns.push_back(std::move(details));
      }
    };
    Statement query(db, kColumnDetailQuery);
    while (query.Step()) {
      if (!MayHoldCollationOrGeneration(query.Utf8(1))) continue;
      CatalogTable* table = tables.FindExact(NameFromBytes(query.Utf8(0)));
      if (!table) continue;
      std::vector<ColumnText> texts;
      try {
        texts = ReadColumnTexts(query.Text(1));
      } catch (const SqlSyntaxError& error) {
        throw Unsplittable(path, QStringLiteral("table"), table->Name(), error);
      }
      table->MutableObjects().columns.clear();
      // The text's definitions are the table's columns, in order; the catalog has their names
      // as SQLite decoded them.
      if (static_cast<qsizetype>(texts.size()) == table->Columns().Count()) {
        const std::unique_ptr<Enumerator<DataColumn>> columns = table->Columns().Enumerate();
        for (const ColumnText& text : texts) add(*table, columns->Next()->Name(), text);
        continue;
      }
      // Otherwise SQLite tells the defaults and which columns are generated; the text is only
      // asked for the rest, by name.
      Statement pragma(db, kColumnDefaultQuery);
      pragma.Bind(1, NameToBytes(table->Name()));
      while (pragma.Step()) {
        ColumnText column;
        const QString name = NameFromBytes(pragma.Utf8(0));
        const auto text = std::find_if(texts.begin(), texts.end(), [&](const ColumnText& t) {
          return t.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (text != texts.end()) column = *text;
        column.default_value = DefaultIn(pragma, 1);
        if (pragma.Int(2) == 2 || pragma.Int(2) == 3) {
          if (column.generated_expression.isEmpty()) {
            throw Unsplittable(path, QStringLiteral("table"), table->Name(),
                               SqlSyntaxError("no expression for a generated column", 0));
          }
          column.stored = pragma.Int(2) == 3;
        } else {
          column.generated_expression.clear();
        }
        add(*table, name, column);
      }
    }
  }
  {
    Statement query(db, kViewQuery);
    while (query.Step()) {
      CatalogTable* view = tables.FindExact(NameFromBytes(query.Utf8(0)));
      if (!view) continue;
      try {
        view->MutableObjects().view_definition = ReadViewText(query.Text(1));
      } catch (const SqlSyntaxError& error) {
        throw Unsplittable(path, QStringLiteral("view"), view->Name(), error);
      }
    }
  }
  Statement query(db, kTriggerQuery);
  while (query.Step()) {
    const QString name = NameFromBytes(query.Utf8(0));
    CatalogTable* table = TableNamed(tables, NameFromBytes(query.Utf8(1)));
    if (!table) continue;
    TriggerDefinition trigger;
    try {
      trigger = ReadTriggerText(query.Text(2));
    } catch (const SqlSyntaxError& error) {
      throw Unsplittable(path, QStringLiteral("trigger"), name, error);
    }
    trigger.name = name;
    table->MutableObjects().triggers.push_back(std::move(trigger));
  }
  // SQLite has no sequences: its empty list is what it tells. (sqlite_sequence is the
  // bookkeeping of AUTOINCREMENT columns, which compare as numbered columns, not a sequence.)
  return kDefaults | kCollations | kGeneratedColumns | kViews | kTriggers | kSequences;
}

// An index part's collation where it is not its column's (BINARY where the column names none),
// and an expression's where it is not BINARY: a part that collates as its column does says
// nothing of its own.
void KeepIndexCollationsOfTheirOwn(CatalogTables& tables) {
  const auto enumerator = tables.Enumerate();
  while (DataTable* table = enumerator->Next()) {
    const TableObjects* objects = table->Objects();
    if (objects == nullptr || objects->indexes.empty()) continue;
    TableObjects& changed = static_cast<CatalogTable*>(table)->MutableObjects();
    for (IndexDefinition& index : changed.indexes) {
      for (IndexPart& part : index.parts) {
        QString own = QStringLiteral("BINARY");
        if (const ColumnDetails* details = changed.DetailsOf(part.column);
            details != nullptr && !part.column.isEmpty() && details->collation) {
          own = details->CollationName();
        }
        if (part.collation.compare(own, Qt::CaseInsensitive) == 0) part.collation.clear();
      }
    }
  }
}

// The primary keys and the columns' defaults were read with the columns; this reads the
// indexes, foreign keys, checks, other column details, views' queries and triggers of every
// table and returns the kinds of object it could tell.
int ReadObjects(const Database& db, const QString& path, CatalogTables& tables,
                SharedTexts& defaults) {
  const auto unsplittable = [&path](const QString& what, const QString& name,
                                    const SqlSyntaxError& error) {
    return Unsplittable(path, what, name, error);
  };
  {
    Statement query(db, kIndexQuery);
    QByteArray current;
    IndexDefinition* index = nullptr;
    IndexText text;
    while (query.Step()) {
      const QByteArrayView name = query.Utf8(1);
      if (!index || name != current) {
        current = name.toByteArray();
        CatalogTable* table = tables.FindExact(NameFromBytes(query.Utf8(0)));
        index = nullptr;
        if (!table) continue;  // the engine's own
        text = {};
        if (!query.IsNull(7)) {
          try {
            text = ReadIndexText(query.Text(7));
          } catch (const SqlSyntaxError& error) {
            throw unsplittable(QStringLiteral("index"), NameFromBytes(name), error);
          }
        }
        index = &table->MutableObjects().indexes.emplace_back();
        index->name = NameFromBytes(name);
        index->unique = query.Int(2) != 0;
        index->origin = query.Int(3) != 0 ? IndexDefinition::Origin::kUniqueConstraint
                                          : IndexDefinition::Origin::kIndex;
        if (query.Int(8) != 0) index->predicate = text.predicate;
      }
      if (!index) continue;
      IndexPart& part = index->parts.emplace_back();
      part.descending = query.Int(6) != 0;
      // Kept only where it is not the column's own, once the columns' collations are read.
      part.collation = NameFromBytes(query.Utf8(9));
      if (query.Int(4) == -2) {
        const qsizetype term = static_cast<qsizetype>(index->parts.size()) - 1;
        if (term >= text.terms.size()) {
          throw unsplittable(QStringLiteral("index"), index->name,
                             SqlSyntaxError("fewer key terms than the index has", 0));
        }
        part.expression = text.terms[term];
      } else {
        // -1 is the rowid, named in the index as "rowid" (or an alias of it).
        part.column = query.IsNull(5) ? QStringLiteral("rowid") : NameFromBytes(query.Utf8(5));
      }
    }
  }
  std::vector<std::pair<CatalogTable*, size_t>> implicit;  // keys naming no parent columns
  // Foreign keys, in the pragma's order of id; SQLite numbers a table's keys from its last
  // clause to its first.
  {
    Statement query(db, kForeignKeyQuery);
    QByteArray current;
    int current_id = -1;
    ForeignKeyDefinition* key = nullptr;
    CatalogTable* table = nullptr;
    while (query.Step()) {
      const QByteArrayView table_name = query.Utf8(0);
      if (!key || table_name != current || query.Int(1) != current_id) {
        current = table_name.toByteArray();
        current_id = query.Int(1);
        if (key && key->referenced_columns.isEmpty()) {
          implicit.emplace_back(table, table->MutableObjects().foreign_keys.size() - 1);
        }
        table = tables.FindExact(NameFromBytes(table_name));
        key = nullptr;
        if (!table) continue;
        key = &table->MutableObjects().foreign_keys.emplace_back();
        // The parent as the REFERENCES clause spells it, which SQLite matches without case.
        key->referenced_table = NameFromBytes(query.Utf8(2));
        if (!tables.Contains(key->referenced_table)) {
          try {
            key->referenced_table = tables.Item(key->referenced_table).Name();
          } catch (const component::Error&) {
            // A parent that does not exist (SQLite allows it): named as written.
          }
        }
        key->on_update = ActionNamed(query.Text(5));
        key->on_delete = ActionNamed(query.Text(6));
        key->match_full = query.Text(7).compare(u"FULL", Qt::CaseInsensitive) == 0;
      }
      if (!key) continue;
      key->columns.append(NameFromBytes(query.Utf8(3)));
      if (!query.IsNull(4)) key->referenced_columns.append(NameFromBytes(query.Utf8(4)));
    }
    if (key && key->referenced_columns.isEmpty()) {
      implicit.emplace_back(table, table->MutableObjects().foreign_keys.size() - 1);
    }
  }
  // A key that names no parent columns refers to the parent's primary key, when it has one.
  for (const auto& [table, position] : implicit) {
    ForeignKeyDefinition& key = table->MutableObjects().foreign_keys[position];
    const CatalogTable* parent = tables.FindExact(key.referenced_table);
    if (parent && parent->Objects() && parent->Objects()->primary_key) {
      key.referenced_columns = parent->Objects()->primary_key->columns;
    }
  }
  int kinds = kKeyObjectKinds;
  Statement query(db, kTableTextQuery);
  while (query.Step()) {
    CatalogTable* table = tables.FindExact(NameFromBytes(query.Utf8(0)));
    if (!table) continue;
    TableText text;
    try {
      text = ReadTableText(query.Text(1));
    } catch (const SqlSyntaxError& error) {
      throw unsplittable(QStringLiteral("table"), table->Name(), error);
    }
    if (text.checks.empty() && text.references.empty() && !text.autoincrement &&
        !text.without_rowid && !text.strict) {
      continue;
    }
    TableObjects& objects = table->MutableObjects();
    objects.autoincrement = text.autoincrement;
    objects.without_rowid = text.without_rowid;
    objects.strict = text.strict;
    objects.checks = std::move(text.checks);
    std::vector<ForeignKeyDefinition>& keys = objects.foreign_keys;
    if (text.references.size() != keys.size()) {
      // Clauses the text reading could not match with the engine's keys: deferrability unknown.
      const auto deferrable = [](const auto& clause) { return clause.first; };
      if (std::any_of(text.references.begin(), text.references.end(), deferrable)) {
        kinds &= ~kForeignKeyDeferrability;
      }
      continue;
    }
    for (size_t id = 0; id < keys.size(); ++id) {
      std::tie(keys[id].deferrable, keys[id].initially_deferred) =
          text.references[keys.size() - 1 - id];
    }
  }
  kinds |= ReadDetails(db, path, tables, defaults);
  KeepIndexCollationsOfTheirOwn(tables);
  // Every index is a B-tree of the default classes; there are no rules, unlogged tables or
  // collations the file itself defines.
  return kinds | kPostgresObjectKinds;
}

// With `objects`, each table's indexes, foreign keys, checks, column details and triggers and
// each view's query too (its primary key comes with its columns either way).
std::unique_ptr<CatalogConnection> ReadCatalog(const QString& path, bool wal_snapshot,
                                               bool objects) {
  Database db(path, wal_snapshot);
  auto connection = std::make_unique<CatalogConnection>(QStringLiteral("sqlite:") + path,
                                                        QFileInfo(path).completeBaseName());
  connection->SetEngine(EngineName(TypeDialect::kSqlite));
  // The read runs in one transaction so that both queries of the slow path see one state.
  sqlite3_exec(db.handle(), "BEGIN", nullptr, nullptr, nullptr);
  // SQLite parses the whole schema into memory first, and everything read after comes from
  // there, besides scans of the schema table, which read its pages in order. Its page cache
  // (2 MB by default, filled while the schema is parsed) would be kept to no use while two
  // catalogs are read at the same time.
  sqlite3_exec(db.handle(), "PRAGMA cache_size = 16", nullptr, nullptr, nullptr);
  SharedTexts defaults;
  SharedTexts* const with_defaults = objects ? &defaults : nullptr;
  if (!ReadWholeCatalog(db, connection->MutableTables(), with_defaults)) {
    connection = std::make_unique<CatalogConnection>(QStringLiteral("sqlite:") + path,
                                                     QFileInfo(path).completeBaseName());
    connection->SetEngine(EngineName(TypeDialect::kSqlite));
    ReadCatalogTableByTable(db, connection->MutableTables(), with_defaults);
  }
  if (objects) {
    connection->SetObjectKinds(ReadObjects(db, path, connection->MutableTables(), defaults));
    // Every column's collation is BINARY unless its definition names another.
    connection->MutableObjects().default_collation = QStringLiteral("BINARY");
  }
  sqlite3_exec(db.handle(), "COMMIT", nullptr, nullptr, nullptr);
  return connection;
}

// What changes when a writer commits to or checkpoints a write-ahead-logged database: the size
// and modification time of the database and its -wal file, and the -wal header (whose salts
// change when the log starts over).
QByteArray FileStamp(const QString& path) {
  QByteArray stamp;
  for (const QString& file : {path, path + QStringLiteral("-wal")}) {
    const QByteArray name = NameToBytes(file);
    struct stat facts {};
    if (::stat(name.constData(), &facts) == 0 && S_ISREG(facts.st_mode)) {
      stamp += QByteArray::number(static_cast<qint64>(facts.st_size)) + ':' +
               QByteArray::number(static_cast<qint64>(facts.st_mtim.tv_sec)) + '.' +
               QByteArray::number(static_cast<qint64>(facts.st_mtim.tv_nsec)) + ';';
      // Never blocks: only a regular file is read, and opened without waiting.
      const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd >= 0) {
        char header[100];
        const ssize_t got = ::read(fd, header, sizeof header);
        if (got > 0) stamp.append(header, got);
        ::close(fd);
      }
    }
    stamp += '|';
  }
  return stamp;
}

constexpr int kReadAttempts = 10;

}  // namespace

QString SqliteFilePath(const QString& connect_string) {
  QString path = connect_string.trimmed();
  if (path.startsWith(u"sqlite:", Qt::CaseInsensitive)) path = path.mid(7);
  if (path.startsWith(u"//")) path = path.mid(2);  // sqlite://relative or sqlite:///absolute
  return AbsoluteFileName(path);
}

void CopySqliteDatabase(const QString& path, const QString& destination) {
  const Database source(path, CheckSqliteFile(path).wal_mode);
  sqlite3* copy = nullptr;
  const auto fail = [&](const QString& why) {
    return component::Error(
        kScratchFailed, ErrorSource(),
        QStringLiteral("cannot copy '%1' to prove the script on: %2").arg(path, why));
  };
  if (sqlite3_open_v2(NameToBytes(destination).constData(), &copy,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    const QString why = QString::fromUtf8(sqlite3_errmsg(copy));
    sqlite3_close_v2(copy);
    throw fail(why);
  }
  sqlite3_backup* backup = sqlite3_backup_init(copy, "main", source.handle(), "main");
  int rc = SQLITE_ERROR;
  if (backup != nullptr) {
    rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
  }
  const QString why = QString::fromUtf8(sqlite3_errmsg(copy));
  sqlite3_close_v2(copy);
  if (rc != SQLITE_DONE) throw fail(why);
}

bool SqliteDriver::Accepts(const ConnectRequest& request) const {
  static const QRegularExpression other_scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  const QString text = request.connect_string.trimmed();
  if (text.startsWith(u"sqlite:", Qt::CaseInsensitive)) return true;
  if (text.startsWith(u"ODBC;", Qt::CaseInsensitive)) return false;
  return !other_scheme.match(text).hasMatch();
}

namespace {

std::unique_ptr<CatalogConnection> ReadWithRetries(const QString& path, bool objects) {
  // A writer may change the file while it is checked or read: a failure counts as the file's own
  // only when nothing changed meanwhile, and a write-ahead-logged database, read without locks,
  // is kept only when no writer changed it during the read. Otherwise it is read again.
  for (int attempt = 1;; ++attempt) {
    const QByteArray before = FileStamp(path);
    try {
      if (!CheckSqliteFile(path).wal_mode) return ReadCatalog(path, false, objects);
      auto connection = ReadCatalog(path, true, objects);
      if (FileStamp(path) == before) return connection;
    } catch (const component::Error&) {
      if (FileStamp(path) == before) throw;
    }
    if (attempt == kReadAttempts) break;
    QThread::msleep(10UL * static_cast<unsigned long>(attempt));
  }
  throw component::Error(
      kDatabaseLocked, ErrorSource(),
      QStringLiteral("'%1' kept changing while its tables were read (%2 tries); try again when "
                     "the program writing to it has finished")
          .arg(path)
          .arg(kReadAttempts));
}

}  // namespace

CatalogRead SqliteDriver::Connect(const ConnectRequest& request) const {
  const QString path = SqliteFilePath(request.connect_string);
  // Objects cost a query per kind over every table: they are read when a comparison needs them.
  const bool objects = request.options != 0;
  // A file that is missing or no database fails here, on the calling thread, before anything
  // else is opened. Should the check fail, the whole read runs here too, so that its retries
  // decide whether the failure is the file's own or a writer's doing.
  try {
    CheckSqliteFile(path);
  } catch (const component::Error&) {
    return CatalogRead(
        [connection = ReadWithRetries(path, objects)]() mutable { return std::move(connection); });
  }
  return CatalogRead([path, objects] { return ReadWithRetries(path, objects); });
}

}  // namespace dataaccess
