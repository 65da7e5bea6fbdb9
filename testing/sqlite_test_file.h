// Builds real SQLite database files from SQL text for tests, in a folder removed afterwards.
#ifndef VANTREL_TESTING_SQLITE_TEST_FILE_H_
#define VANTREL_TESTING_SQLITE_TEST_FILE_H_

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace dataaccess::test_support {

class SqliteTestFolder {
 public:
  SqliteTestFolder();
  // Creates `file_name` in the folder from `sql` and returns its path; fails the test on error.
  QString CreateDatabase(const QString& file_name, const char* sql);
  QString PathOf(const QString& file_name) const { return dir_.filePath(file_name); }
  // Every entry of the folder, a line each: its name, kind, inode, size, permissions, times of
  // change and a digest of its bytes. Equal before and after an action when the action created,
  // changed, replaced, renamed and deleted nothing there (reading leaves these as they were).
  QStringList State() const;

 private:
  QTemporaryDir dir_;
};

}  // namespace dataaccess::test_support

#endif  // VANTREL_TESTING_SQLITE_TEST_FILE_H_
