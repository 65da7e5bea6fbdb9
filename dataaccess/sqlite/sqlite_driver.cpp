#include "dataaccess/sqlite/sqlite_driver.h"

#include <sqlite3.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <optional>

#include "dataaccess/errors.h"
#include "dataaccess/sqlite/sqlite_file_check.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr int kBusyTimeoutMs = 2000;

// Every user table and view with its columns, in one pass. The join scans sqlite_schema in rowid
// (creation) order and each table's columns in cid order, so a table's rows arrive together
// without the cost of sorting them. Hidden columns of virtual tables (hidden = 1) are not
// columns a user declared; generated ones are 2 and 3.
constexpr char kCatalogQuery[] = R"sql(
SELECT m.name, p.name, p.type, p."notnull", p.pk, p.hidden,
       CASE WHEN p.pk = 1 AND upper(p.type) = 'INTEGER' AND m.type = 'table'
            THEN m.sql LIKE '%without%rowid%' ELSE 0 END
FROM sqlite_schema AS m JOIN pragma_table_xinfo(m.name, 'main') AS p
WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\_%' ESCAPE '\')sql";

// The slow path for a catalog that the one query cannot read as a whole (a view over a dropped
// table, a virtual table whose module is not loaded): tables first, then each one's columns.
constexpr char kTableListQuery[] = R"sql(
SELECT name, type = 'table' AND sql LIKE '%without%rowid%' FROM sqlite_schema
WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite\_%' ESCAPE '\' ORDER BY rowid)sql";
constexpr char kColumnQuery[] = R"sql(
SELECT NULL, name, type, "notnull", pk, hidden,
       CASE WHEN pk = 1 AND upper(type) = 'INTEGER' THEN ?2 ELSE 0 END
FROM pragma_table_xinfo(?1, 'main') ORDER BY cid)sql";

class Database {
 public:
  // An immutable database is read without locks and without the shared-memory file that
  // write-ahead logging otherwise creates beside it.
  Database(QString path, bool immutable) : path_(std::move(path)) {
    const QByteArray name = immutable ? QUrl::fromLocalFile(path_).toEncoded() + "?immutable=1"
                                      : QFile::encodeName(path_);
    const int rc =
        sqlite3_open_v2(name.constData(), &db_,
                        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI, nullptr);
    if (rc != SQLITE_OK) Raise(rc);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
  }
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  sqlite3* handle() const { return db_; }

  // Turns an SQLite result code into the error a user can act on.
  [[noreturn]] void Raise(int rc) const {
    const QString detail =
        db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QString::fromUtf8(sqlite3_errstr(rc));
    const int extended = db_ ? sqlite3_extended_errcode(db_) : rc;
    if (extended == SQLITE_READONLY_ROLLBACK) {
      throw component::Error(
          kCatalogUnreadable, ErrorSource(),
          QStringLiteral("'%1' holds an unfinished transaction of a program that stopped while "
                         "writing (its -journal file); open it once with a program that may write "
                         "to it, such as sqlite3, so that SQLite rolls the transaction back")
              .arg(path_));
    }
    switch (rc & 0xFF) {
      case SQLITE_BUSY:
      case SQLITE_LOCKED:
        throw component::Error(kDatabaseLocked, ErrorSource(),
                               QStringLiteral("'%1' is locked by another program (%2); try again "
                                              "when it has finished writing")
                                   .arg(path_, detail));
      case SQLITE_NOTADB:
        throw component::Error(kNotADatabase, ErrorSource(),
                               QStringLiteral("'%1' is not an SQLite database").arg(path_));
      case SQLITE_CORRUPT:
        throw component::Error(kDatabaseDamaged, ErrorSource(),
                               QStringLiteral("'%1' is damaged: %2").arg(path_, detail));
      case SQLITE_CANTOPEN:
      case SQLITE_PERM:
      case SQLITE_AUTH:
        throw component::Error(component::kPathFileAccessError, ErrorSource(),
                               QStringLiteral("Cannot open '%1': %2").arg(path_, detail));
      default:
        throw component::Error(
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

  void Bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(stmt_, index, utf8.constData(), static_cast<int>(utf8.size()),
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

// Collects one table's rows of the catalog queries (columns 1 to 6) into its column list.
class TableFiller {
 public:
  TableFiller(CatalogTable& table, DeclaredTypeCache& types) : table_(table), types_(types) {}

  void AddRow(const Statement& row) {
    if (row.Int(5) == 1) return;  // a virtual table's hidden column
    ColumnDefinition column;
    column.name = row.Text(1);
    const QString declared = row.Text(2);
    column.type = types_.Classify(declared);
    column.ordinal_position = static_cast<int16_t>(++ordinal_);
    column.required = row.Int(3) != 0;
    if (row.Int(5) >= 2) column.type.attributes |= kGenerated;
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
  // SQLite numbers it and it can never be NULL.
  void Finish() {
    if (primary_key_columns_ == 1 && rowid_alias_ >= 0) {
      ColumnDefinition& alias = pending_[static_cast<size_t>(rowid_alias_)];
      alias.type = AutoNumbered(alias.type);
      alias.required = true;
    }
    for (ColumnDefinition& column : pending_) table_.MutableColumns().Add(std::move(column));
  }

 private:
  CatalogTable& table_;
  DeclaredTypeCache& types_;
  std::vector<ColumnDefinition> pending_;
  int ordinal_ = 0;
  int primary_key_columns_ = 0;
  int rowid_alias_ = -1;
};

// Returns false when the catalog cannot be read in one pass; `tables` is then to be discarded.
bool ReadWholeCatalog(const Database& db, CatalogTables& tables) {
  QByteArray current_name;
  DeclaredTypeCache types(TypeDialect::kSqlite);
  std::optional<TableFiller> filler;
  try {
    Statement query(db, kCatalogQuery);
    while (query.Step()) {
      const QByteArrayView name = query.Utf8(0);
      if (!filler || name != current_name) {
        if (filler) filler->Finish();
        current_name = name.toByteArray();
        const QString table_name = QString::fromUtf8(name);
        if (tables.Contains(table_name)) return false;  // rows of one table did not arrive together
        filler.emplace(tables.AddTable(table_name), types);
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

void ReadCatalogTableByTable(const Database& db, CatalogTables& tables) {
  std::vector<std::pair<QString, int>> names;
  Statement list(db, kTableListQuery);
  while (list.Step()) names.emplace_back(list.Text(0), list.Int(1));
  tables.Reserve(names.size());
  DeclaredTypeCache types(TypeDialect::kSqlite);
  for (const auto& [name, without_rowid] : names) {
    TableFiller filler(tables.AddTable(name), types);
    try {
      Statement columns(db, kColumnQuery);
      columns.Bind(1, name);
      columns.Bind(2, without_rowid);
      while (columns.Step()) filler.AddRow(columns);
      filler.Finish();
    } catch (const component::Error& error) {
      // A view whose definition no longer resolves has no columns to compare; the table is
      // still listed so that its presence is compared.
      if (error.number() != kCatalogUnreadable) throw;
    }
  }
}

QString PathOf(const ConnectRequest& request) {
  QString path = request.connect_string.trimmed();
  if (path.startsWith(u"sqlite:", Qt::CaseInsensitive)) path = path.mid(7);
  if (path.startsWith(u"//")) path = path.mid(2);  // sqlite://relative or sqlite:///absolute
  return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

}  // namespace

bool SqliteDriver::Accepts(const ConnectRequest& request) const {
  static const QRegularExpression other_scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  const QString text = request.connect_string.trimmed();
  if (text.startsWith(u"sqlite:", Qt::CaseInsensitive)) return true;
  if (text.startsWith(u"ODBC;", Qt::CaseInsensitive)) return false;
  return !other_scheme.match(text).hasMatch();
}

std::unique_ptr<CatalogConnection> SqliteDriver::Open(const ConnectRequest& request) const {
  const QString path = PathOf(request);
  // A write-ahead-logged database opened read-only makes SQLite create its -wal and -shm files,
  // unless they exist already. Without a -wal file every change is in the database file itself
  // and no other program has it open, so it can be read as immutable and nothing is created.
  const SqliteFileFacts facts = CheckSqliteFile(path);
  const bool immutable = facts.wal_mode && !QFileInfo::exists(path + QStringLiteral("-wal"));
  Database db(path, immutable);
  auto connection = std::make_unique<CatalogConnection>(QStringLiteral("sqlite:") + path,
                                                        QFileInfo(path).completeBaseName());
  // The read runs in one transaction so that both queries of the slow path see one state.
  sqlite3_exec(db.handle(), "BEGIN", nullptr, nullptr, nullptr);
  if (!ReadWholeCatalog(db, connection->MutableTables())) {
    connection = std::make_unique<CatalogConnection>(QStringLiteral("sqlite:") + path,
                                                     QFileInfo(path).completeBaseName());
    ReadCatalogTableByTable(db, connection->MutableTables());
  }
  sqlite3_exec(db.handle(), "COMMIT", nullptr, nullptr, nullptr);
  return connection;
}

}  // namespace dataaccess
