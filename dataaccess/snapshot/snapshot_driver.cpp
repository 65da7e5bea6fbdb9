#include "dataaccess/snapshot/snapshot_driver.h"

#include <unistd.h>

#include "dataaccess/catalog/name_bytes.h"
#include "dataaccess/data_objects.h"
#include "dataaccess/errors.h"
#include "dataaccess/snapshot/snapshot_reader.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr QStringView kScheme = u"snapshot:";

bool HasScheme(const QString& text) { return text.startsWith(kScheme, Qt::CaseInsensitive); }

QString PathOf(const ConnectRequest& request) {
  QString path = request.connect_string.trimmed();
  if (HasScheme(path)) path = path.mid(kScheme.size());
  return AbsoluteFileName(path);
}

}  // namespace

bool SnapshotDriver::Accepts(const ConnectRequest& request) const {
  const QString text = request.connect_string.trimmed();
  if (HasScheme(text)) return true;
  if (text.isEmpty() || text.startsWith(u"sqlite:", Qt::CaseInsensitive)) return false;
  return LooksLikeJson(PathOf(request));
}

CatalogRead SnapshotDriver::Connect(const ConnectRequest& request) const {
  const QString path = PathOf(request);
  // A missing or unreadable file fails here, on the calling thread, as every driver's does.
  const QByteArray name = NameToBytes(path);
  if (::access(name.constData(), F_OK) != 0) {
    throw component::Error(component::kFileNotFound, ErrorSource(),
                           QStringLiteral("File not found: '%1'").arg(path));
  }
  if (::access(name.constData(), R_OK) != 0) {
    throw component::Error(component::kPathFileAccessError, ErrorSource(),
                           QStringLiteral("Cannot read '%1': permission denied").arg(path));
  }
  return CatalogRead([path] { return ReadSnapshot(path); });
}

}  // namespace dataaccess
