#include "testing/sqlite_test_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QFile>

namespace dataaccess::testing {

SqliteTestFolder::SqliteTestFolder() { EXPECT_TRUE(dir_.isValid()); }

QString SqliteTestFolder::CreateDatabase(const QString& file_name, const char* sql) {
  const QString path = PathOf(file_name);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << " in " << sql;
  sqlite3_free(message);
  sqlite3_close(db);
  return path;
}

}  // namespace dataaccess::testing
