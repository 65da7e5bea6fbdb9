#include <sqlite3.h>

#include <QDir>
#include <QTemporaryDir>

#include "dataaccess/catalog/name_bytes.h"
#include "dataaccess/errors.h"
#include "dataaccess/scratch_copy.h"
#include "dataaccess/sqlite/sqlite_driver.h"
#include "dataaccess/sqlite/sqlite_process_settings.h"
#include "platform/component/error.h"

namespace dataaccess {

struct ScratchSqliteCopy::State {
  // QTemporaryDir makes its folder readable by this user alone (0700).
  QTemporaryDir folder{QDir::tempPath() + QStringLiteral("/vantrel-proof-XXXXXX")};
  QString path;
  QString source;
  sqlite3* db = nullptr;
};

ScratchSqliteCopy::ScratchSqliteCopy(const QString& path) : state_(std::make_unique<State>()) {
  ApplySqliteProcessSettings();
  if (!state_->folder.isValid()) {
    throw component::Error(kScratchFailed, ErrorSource(),
                           QStringLiteral("cannot make a private folder to prove the script in: %1")
                               .arg(state_->folder.errorString()));
  }
  state_->path = state_->folder.filePath(QStringLiteral("copy.db"));
  if (!path.trimmed().isEmpty()) {
    const QString source = SqliteFilePath(path);
    state_->source = QStringLiteral("sqlite:") + source;
    CopySqliteDatabase(source, state_->path);
  }
  if (sqlite3_open_v2(NameToBytes(state_->path).constData(), &state_->db,
                      SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                      nullptr) != SQLITE_OK) {
    const QString why = QString::fromUtf8(sqlite3_errmsg(state_->db));
    sqlite3_close_v2(state_->db);
    state_->db = nullptr;
    throw component::Error(
        kScratchFailed, ErrorSource(),
        QStringLiteral("cannot open the copy to prove the script on: %1").arg(why));
  }
  // Each CREATE in a script makes SQLite scan the whole schema table for the new entries. With
  // the default cache of 2 MB, the schema table of a database of some thousand tables no longer
  // fits, and every scan reads it from the file again: a quarter of the script's time at 10,000
  // tables. The cache takes memory only as pages are read.
  sqlite3_exec(state_->db, "PRAGMA cache_size = -16384", nullptr, nullptr, nullptr);
}

ScratchSqliteCopy::~ScratchSqliteCopy() {
  if (state_->db != nullptr) sqlite3_close_v2(state_->db);
}

QString ScratchSqliteCopy::Path() const { return state_->path; }

QString ScratchSqliteCopy::Source() const { return state_->source; }

QString ScratchSqliteCopy::Run(const QString& statement) {
  const QByteArray text = statement.toUtf8();
  sqlite3_stmt* prepared = nullptr;
  const char* tail = nullptr;
  if (sqlite3_prepare_v2(state_->db, text.constData(), static_cast<int>(text.size()), &prepared,
                         &tail) != SQLITE_OK) {
    return QString::fromUtf8(sqlite3_errmsg(state_->db));
  }
  // What follows the first statement must be nothing but spaces and comments.
  if (tail != nullptr && *tail != '\0') {
    sqlite3_stmt* next = nullptr;
    const int rc = sqlite3_prepare_v2(state_->db, tail, -1, &next, nullptr);
    sqlite3_finalize(next);
    if (rc != SQLITE_OK || next != nullptr) {
      sqlite3_finalize(prepared);
      return QStringLiteral("the text holds more than one statement");
    }
  }
  int rc = SQLITE_ROW;
  while (rc == SQLITE_ROW) rc = sqlite3_step(prepared);
  sqlite3_finalize(prepared);
  return rc == SQLITE_DONE ? QString() : QString::fromUtf8(sqlite3_errmsg(state_->db));
}

namespace {

// Each row of `sql`'s results, its columns joined by `separator`.
QStringList Rows(sqlite3* db, const char* sql, const char* separator) {
  QStringList rows;
  sqlite3_stmt* query = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &query, nullptr) != SQLITE_OK) {
    return {QString::fromUtf8(sqlite3_errmsg(db))};
  }
  int rc = SQLITE_ERROR;
  while ((rc = sqlite3_step(query)) == SQLITE_ROW) {
    QStringList columns;
    for (int i = 0; i < sqlite3_column_count(query); ++i) {
      columns.append(
          QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, i))));
    }
    rows.append(columns.join(QLatin1String(separator)));
  }
  if (rc != SQLITE_DONE) rows.append(QString::fromUtf8(sqlite3_errmsg(db)));
  sqlite3_finalize(query);
  return rows;
}

}  // namespace

QStringList ScratchSqliteCopy::IntegrityProblems() {
  QStringList rows = Rows(state_->db, "PRAGMA integrity_check", " ");
  rows.removeAll(QStringLiteral("ok"));
  return rows;
}

QStringList ScratchSqliteCopy::ForeignKeyProblems() {
  return Rows(state_->db, "SELECT \"table\", parent FROM pragma_foreign_key_check", " -> ");
}

QStringList ScratchSqliteCopy::TableNames() {
  QStringList names;
  sqlite3_stmt* query = nullptr;
  int rc = sqlite3_prepare_v2(state_->db,
                              "SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT "
                              "LIKE 'sqlite\\_%' ESCAPE '\\'",
                              -1, &query, nullptr);
  while (rc == SQLITE_OK && (rc = sqlite3_step(query)) == SQLITE_ROW) {
    names.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 0))));
    rc = SQLITE_OK;
  }
  sqlite3_finalize(query);
  if (rc != SQLITE_DONE) {
    throw component::Error(
        kScratchFailed, ErrorSource(),
        QStringLiteral("cannot list the tables of the copy to prove the script on: %1")
            .arg(QString::fromUtf8(sqlite3_errmsg(state_->db))));
  }
  return names;
}

qint64 ScratchSqliteCopy::RowCount(const QString& table) {
  const QByteArray sql = "SELECT count(*) FROM \"" + table.toUtf8().replace("\"", "\"\"") + "\"";
  sqlite3_stmt* query = nullptr;
  qint64 count = -1;
  if (sqlite3_prepare_v2(state_->db, sql.constData(), -1, &query, nullptr) == SQLITE_OK &&
      sqlite3_step(query) == SQLITE_ROW) {
    count = sqlite3_column_int64(query, 0);
  }
  sqlite3_finalize(query);
  return count;
}

}  // namespace dataaccess
