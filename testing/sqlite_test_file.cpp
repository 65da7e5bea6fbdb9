#include "testing/sqlite_test_file.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <sys/stat.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

namespace dataaccess::test_support {

SqliteTestFolder::SqliteTestFolder() { EXPECT_TRUE(dir_.isValid()); }

QString SqliteTestFolder::CreateDatabase(const QString& file_name, const char* sql) {
  QString path = PathOf(file_name);
  sqlite3* db = nullptr;
  EXPECT_EQ(sqlite3_open(QFile::encodeName(path).constData(), &db), SQLITE_OK);
  char* message = nullptr;
  const int rc = sqlite3_exec(db, sql, nullptr, nullptr, &message);
  EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << " in " << sql;
  sqlite3_free(message);
  sqlite3_close(db);
  return path;
}

QStringList SqliteTestFolder::State() const {
  QStringList lines;
  const QDir folder(dir_.path());
  for (const QString& name : folder.entryList(
           QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name)) {
    struct stat facts {};
    const QByteArray path = QFile::encodeName(folder.filePath(name));
    if (::lstat(path.constData(), &facts) != 0) continue;
    QFile file(folder.filePath(name));
    QByteArray digest = "-";
    if (S_ISREG(facts.st_mode) && file.open(QIODevice::ReadOnly)) {
      digest = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
    }
    lines << QStringLiteral("%1 mode %2 inode %3 size %4 modified %5.%6 changed %7.%8 %9")
                 .arg(name)
                 .arg(facts.st_mode, 0, 8)
                 .arg(facts.st_ino)
                 .arg(facts.st_size)
                 .arg(facts.st_mtim.tv_sec)
                 .arg(facts.st_mtim.tv_nsec)
                 .arg(facts.st_ctim.tv_sec)
                 .arg(facts.st_ctim.tv_nsec)
                 .arg(QString::fromLatin1(digest));
  }
  return lines;
}

}  // namespace dataaccess::test_support
