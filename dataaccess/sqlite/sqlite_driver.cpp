#include "dataaccess/sqlite/sqlite_driver.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>
#include <optional>

#include "dataaccess/catalog/name_bytes.h"
#include "dataaccess/errors.h"
#include "dataaccess/sqlite/read_only_vfs.h"
#include "dataaccess/sqlite/sqlite_file_check.h"
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
// The table's SQL comes with its first column when it may hold a json_valid() check.
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
       m.type = 'view'
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

// True when a -wal file stands beside the database (of any size, even empty or damaged).
bool HasLog(const QString& path) {
  struct stat facts {};
  return ::lstat(QFile::encodeName(path + QStringLiteral("-wal")).constData(), &facts) == 0;
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
    // SQLite counts every allocation under one process-wide mutex unless told not to; two
    // catalogs read at the same time would spend a fifth of their time waiting on it. This
    // works only before SQLite's first use in the process, and is harmless after.
    static const bool kNoMemoryStatistics = sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0) == SQLITE_OK;
    (void)kNoMemoryStatistics;
    const bool with_log = wal_snapshot && HasLog(path_);
    QByteArray uri = "file:" + QFile::encodeName(path_).toPercentEncoding("/") + "?vfs=";
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
    column.name = NameFromBytes(row.Utf8(1));
    const QString declared = row.Text(2);
    column.type = types_.Classify(declared, &column.declared_type);
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
      alias.type = RowidAlias(alias.type);
      alias.required = true;
    }
    for (ColumnDefinition& column : pending_) {
      if (json_columns_.contains(column.name, Qt::CaseInsensitive)) {
        column.type = AsJson(column.type);
      }
      table_.MutableColumns().Add(column);
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
        const QString table_name = NameFromBytes(name);
        if (tables.Contains(table_name)) return false;  // rows of one table did not arrive together
        filler.emplace(tables.AddTable(table_name, query.Int(8) != 0), types);
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
    TableFiller filler(tables.AddTable(table.name, table.view), types);
    try {
      Statement columns(db, kColumnQuery);
      columns.Bind(1, NameToBytes(table.name));
      columns.Bind(2, table.without_rowid);
      columns.Bind(3, table.sql.toUtf8());
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

std::unique_ptr<CatalogConnection> ReadCatalog(const QString& path, bool wal_snapshot) {
  Database db(path, wal_snapshot);
  auto connection = std::make_unique<CatalogConnection>(QStringLiteral("sqlite:") + path,
                                                        QFileInfo(path).completeBaseName());
  connection->SetEngine(EngineName(TypeDialect::kSqlite));
  // The read runs in one transaction so that both queries of the slow path see one state.
  sqlite3_exec(db.handle(), "BEGIN", nullptr, nullptr, nullptr);
  if (!ReadWholeCatalog(db, connection->MutableTables())) {
    connection = std::make_unique<CatalogConnection>(QStringLiteral("sqlite:") + path,
                                                     QFileInfo(path).completeBaseName());
    connection->SetEngine(EngineName(TypeDialect::kSqlite));
    ReadCatalogTableByTable(db, connection->MutableTables());
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
    const QByteArray name = QFile::encodeName(file);
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

bool SqliteDriver::Accepts(const ConnectRequest& request) const {
  static const QRegularExpression other_scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
  const QString text = request.connect_string.trimmed();
  if (text.startsWith(u"sqlite:", Qt::CaseInsensitive)) return true;
  if (text.startsWith(u"ODBC;", Qt::CaseInsensitive)) return false;
  return !other_scheme.match(text).hasMatch();
}

namespace {

std::unique_ptr<CatalogConnection> ReadWithRetries(const QString& path) {
  // A writer may change the file while it is checked or read: a failure counts as the file's own
  // only when nothing changed meanwhile, and a write-ahead-logged database, read without locks,
  // is kept only when no writer changed it during the read. Otherwise it is read again.
  for (int attempt = 1;; ++attempt) {
    const QByteArray before = FileStamp(path);
    try {
      if (!CheckSqliteFile(path).wal_mode) return ReadCatalog(path, false);
      auto connection = ReadCatalog(path, true);
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
  const QString path = PathOf(request);
  // A file that is missing or no database fails here, on the calling thread, before anything
  // else is opened. Should the check fail, the whole read runs here too, so that its retries
  // decide whether the failure is the file's own or a writer's doing.
  try {
    CheckSqliteFile(path);
  } catch (const component::Error&) {
    return CatalogRead(
        [connection = ReadWithRetries(path)]() mutable { return std::move(connection); });
  }
  return CatalogRead([path] { return ReadWithRetries(path); });
}

}  // namespace dataaccess
