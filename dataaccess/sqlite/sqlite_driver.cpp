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
// columns a user declared; generated ones are 2 and 3. The table's SQL comes with its first
// column when it may hold a json_valid() check.
constexpr char kCatalogQuery[] = R"sql(
SELECT m.name, p.name, p.type, p."notnull", p.pk, p.hidden,
       CASE WHEN p.pk = 1 AND upper(p.type) = 'INTEGER' AND m.type = 'table'
            THEN m.sql LIKE '%without%rowid%' ELSE 0 END,
       CASE WHEN p.cid = 0 AND m.sql LIKE '%json\_valid%' ESCAPE '\' THEN m.sql END
FROM sqlite_schema AS m JOIN pragma_table_xinfo(m.name, 'main') AS p
WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\_%' ESCAPE '\')sql";

// The slow path for a catalog that the one query cannot read as a whole (a view over a dropped
// table, a virtual table whose module is not loaded): tables first, then each one's columns.
constexpr char kTableListQuery[] = R"sql(
SELECT name, type = 'table' AND sql LIKE '%without%rowid%', sql FROM sqlite_schema
WHERE type IN ('table', 'view') AND name NOT LIKE 'sqlite\_%' ESCAPE '\' ORDER BY rowid)sql";
constexpr char kColumnQuery[] = R"sql(
SELECT NULL, name, type, "notnull", pk, hidden,
       CASE WHEN pk = 1 AND upper(type) = 'INTEGER' THEN ?2 ELSE 0 END,
       CASE WHEN cid = 0 THEN ?3 END
FROM pragma_table_xinfo(?1, 'main') ORDER BY cid)sql";

// Where `text` continues after the quoted name or string, comment or other character at `at`.
qsizetype SkipToken(QStringView text, qsizetype at) {
  const QChar c = text[at];
  if (text.mid(at, 2) == u"--") {
    const qsizetype end = text.indexOf(u'\n', at);
    return end < 0 ? text.size() : end + 1;
  }
  if (text.mid(at, 2) == u"/*") {
    const qsizetype end = text.indexOf(u"*/", at + 2);
    return end < 0 ? text.size() : end + 2;
  }
  if (c != u'\'' && c != u'"' && c != u'`' && c != u'[') return at + 1;
  const QChar close = c == u'[' ? QChar(u']') : c;
  for (qsizetype i = at + 1; i < text.size(); ++i) {
    if (text[i] != close) continue;
    if (close == u']' || i + 1 == text.size() || text[i + 1] != close) return i + 1;
    ++i;  // a doubled quote
  }
  return text.size();
}

// The conditions of the CHECK constraints, column and table ones alike, of a CREATE TABLE
// statement as sqlite_schema keeps it.
QStringList CheckConditions(QStringView sql) {
  QStringList conditions;
  const auto is_word = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
  for (qsizetype i = 0; i < sql.size();) {
    if (sql.mid(i, 5).compare(u"CHECK", Qt::CaseInsensitive) != 0 ||
        (i > 0 && is_word(sql[i - 1])) || (i + 5 < sql.size() && is_word(sql[i + 5]))) {
      i = SkipToken(sql, i);
      continue;
    }
    qsizetype open = i + 5;
    while (open < sql.size() && sql[open].isSpace()) ++open;
    if (open == sql.size() || sql[open] != u'(') {
      i = open;
      continue;
    }
    int depth = 0;
    qsizetype end = open;
    while (end < sql.size()) {
      if (sql[end] == u'(') ++depth;
      if (sql[end] == u')' && --depth == 0) break;
      end = SkipToken(sql, end);
    }
    conditions.append(sql.mid(open + 1, end - open - 1).toString());
    i = end + 1;
  }
  return conditions;
}

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

// Collects one table's rows of the catalog queries (columns 1 to 7) into its column list.
class TableFiller {
 public:
  TableFiller(CatalogTable& table, DeclaredTypeCache& types) : table_(table), types_(types) {}

  void AddRow(const Statement& row) {
    if (!row.IsNull(7)) {
      for (const QString& condition : CheckConditions(row.Text(7))) {
        const QString column = JsonCheckedColumn(condition);
        if (!column.isEmpty()) json_columns_.append(column);
      }
    }
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
  // SQLite numbers it and it can never be NULL. A text column that a CHECK holds to
  // json_valid() is a JSON document.
  void Finish() {
    if (primary_key_columns_ == 1 && rowid_alias_ >= 0) {
      ColumnDefinition& alias = pending_[static_cast<size_t>(rowid_alias_)];
      alias.type = AutoNumbered(alias.type);
      alias.required = true;
    }
    for (ColumnDefinition& column : pending_) {
      if (json_columns_.contains(column.name, Qt::CaseInsensitive)) {
        column.type = AsJson(column.type);
      }
      table_.MutableColumns().Add(std::move(column));
    }
  }

 private:
  CatalogTable& table_;
  DeclaredTypeCache& types_;
  std::vector<ColumnDefinition> pending_;
  QStringList json_columns_;
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
  struct Listed {
    QString name;
    int without_rowid = 0;
    QString sql;
  };
  std::vector<Listed> listed;
  Statement list(db, kTableListQuery);
  while (list.Step()) listed.push_back({list.Text(0), list.Int(1), list.Text(2)});
  tables.Reserve(listed.size());
  DeclaredTypeCache types(TypeDialect::kSqlite);
  for (const Listed& table : listed) {
    TableFiller filler(tables.AddTable(table.name), types);
    try {
      Statement columns(db, kColumnQuery);
      columns.Bind(1, table.name);
      columns.Bind(2, table.without_rowid);
      columns.Bind(3, table.sql);
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
