// SQLite files of any content: the header check either passes or fails with one of its documented
// errors, and a file that passes is opened read-only through the SQLite driver, which reads its
// whole catalog or fails with a numbered error. The input is the file's bytes.
#include <QFile>

#include "dataaccess/errors.h"
#include "dataaccess/sqlite/sqlite_driver.h"
#include "dataaccess/sqlite/sqlite_file_check.h"
#include "fuzz/fuzz_check.h"
#include "platform/component/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = fuzz::ScratchFolder() + QStringLiteral("/input.db");
  {
    QFile file(path);
    fuzz::Require(file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                      file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size)) ==
                          static_cast<qint64>(size),
                  "the scratch file can be written", file.errorString());
  }
  try {
    dataaccess::CheckSqliteFile(path);
  } catch (const component::Error& error) {
    fuzz::Require(error.number() == component::kPathFileAccessError ||
                      error.number() == dataaccess::kNotADatabase ||
                      error.number() == dataaccess::kDatabaseDamaged,
                  "the header check fails with a documented error", error.what());
    return 0;
  }
  try {
    const dataaccess::ConnectRequest request{path, QStringLiteral("sqlite:") + path};
    dataaccess::SqliteDriver().Open(request);
  } catch (const component::Error&) {
    // Damaged files fail with a numbered error; anything else escapes and stops the fuzzer.
  }
  // A read-only open leaves no journal, write-ahead log or shared-memory file behind.
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    fuzz::Require(!QFile::exists(path + QLatin1String(suffix)), "the file is opened read-only",
                  QLatin1String(suffix));
  }
  return 0;
}
