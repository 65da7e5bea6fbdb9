// A private, writable copy of an SQLite database, on which a migration script is proven before
// a person runs it on the database itself. The original is read as every read reads it (strictly
// read-only, its side files untouched) and copied through SQLite's backup API into a folder of
// the temporary directory that only this user can enter; the copy and its folder are deleted
// when the object goes.
//
// Threads: one thread at a time.
#ifndef VANTREL_DATAACCESS_SCRATCH_COPY_H_
#define VANTREL_DATAACCESS_SCRATCH_COPY_H_

#include <QString>
#include <QStringList>
#include <memory>

#include "dataaccess/dataaccess_export.h"

namespace dataaccess {

class DATAACCESS_EXPORT ScratchSqliteCopy {
 public:
  // Copies the SQLite database at `path` ("sqlite:" may precede it); an empty `path` makes an
  // empty database. Throws component::Error as opening it for a comparison would, or
  // kScratchFailed when the copy cannot be made.
  explicit ScratchSqliteCopy(const QString& path);
  ~ScratchSqliteCopy();
  ScratchSqliteCopy(const ScratchSqliteCopy&) = delete;
  ScratchSqliteCopy& operator=(const ScratchSqliteCopy&) = delete;

  // The copy's path, to open it for a comparison once the script has run.
  QString Path() const;
  // The connect string a connection to the original reports ("sqlite:" and its absolute path);
  // empty for a copy of nothing.
  QString Source() const;

  // Runs one SQL statement on the copy; empty on success, otherwise SQLite's message. A text that
  // holds more than one statement is refused without running any of it.
  QString Run(const QString& statement);
  // What PRAGMA integrity_check finds wrong; empty for a sound database.
  QStringList IntegrityProblems();
  // Each row PRAGMA foreign_key_check finds without its parent: "child -> parent".
  QStringList ForeignKeyProblems();
  // The number of rows of `table`; -1 when it cannot be counted (it is gone).
  qint64 RowCount(const QString& table);
  // The names of the copy's tables, without its views and SQLite's own tables. Throws
  // component::Error (kScratchFailed) when they cannot be read.
  QStringList TableNames();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SCRATCH_COPY_H_
