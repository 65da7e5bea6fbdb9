// Snapshot files of any content: reading one either gives a whole catalog or fails with one of
// the errors the format documents. A catalog that was read is written and read again, and must
// come back as the same file: nothing a reader accepts is lost or changed on the way through.
#include <QBuffer>
#include <QFile>

#include "dataaccess/errors.h"
#include "dataaccess/snapshot.h"
#include "dataaccess/snapshot/snapshot_reader.h"
#include "fuzz/fuzz_check.h"
#include "platform/component/error.h"

namespace {

QString WriteScratch(const QString& name, const QByteArray& bytes) {
  const QString path = fuzz::ScratchFolder() + u'/' + name;
  QFile file(path);
  fuzz::Require(
      file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size(),
      "the scratch file can be written", file.errorString());
  return path;
}

QByteArray Written(const dataaccess::DataConnection& connection) {
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  dataaccess::WriteSnapshot(connection, buffer);
  return buffer.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path =
      WriteScratch(QStringLiteral("input.json"),
                   QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
  std::unique_ptr<dataaccess::CatalogConnection> connection;
  try {
    connection = dataaccess::ReadSnapshot(path);
  } catch (const component::Error& error) {
    fuzz::Require(error.number() == dataaccess::kNotADatabase ||
                      error.number() == dataaccess::kDatabaseDamaged ||
                      error.number() == dataaccess::kSnapshotTooNew,
                  "a snapshot that cannot be read fails with a documented error", error.what());
    fuzz::Require(error.description().startsWith(u'\'' + path + u'\''), "the error names the file",
                  error.what());
    return 0;
  }
  const QByteArray first = Written(*connection);
  const auto again = dataaccess::ReadSnapshot(WriteScratch(QStringLiteral("again.json"), first));
  fuzz::Require(Written(*again) == first, "a snapshot read back is written as it was",
                QString::fromUtf8(first));
  return 0;
}
