#include "dataaccess/server/server_connect.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/errors.h"

namespace dataaccess {

bool NameOverridesDatabase(const ConnectRequest& request) {
  return !request.name.trimmed().isEmpty() && request.name != request.connect_string;
}

QString ConnectTarget(const ConnectRequest& request) {
  QString target = MaskPasswords(request.connect_string.trimmed());
  if (NameOverridesDatabase(request)) target += QStringLiteral(", database ") + request.name;
  return target;
}

component::Error ConnectError(int32_t number, const QString& server, const QString& target,
                              const QString& detail) {
  QString text;
  switch (number) {
    case kLoginFailed:
      text = QStringLiteral("The %1 refused the login for '%2' (wrong user name or password?)");
      break;
    case kUnknownDatabase:
      text = QStringLiteral("The %1 has no such database ('%2')");
      break;
    case kConnectTimeout:
      text = QStringLiteral("The %1 for '%2' did not answer in time");
      break;
    default:
      number = kConnectFailed;
      text = QStringLiteral("Cannot connect to the %1 for '%2'");
      break;
  }
  text = text.arg(server, target);
  if (!detail.isEmpty()) text += QStringLiteral(": ") + detail;
  return component::Error(number, ErrorSource(), text);
}

component::Error ReadOnlyError(const QString& target, const QString& detail) {
  return component::Error(
      kConnectFailed, ErrorSource(),
      QStringLiteral("Cannot make the session on '%1' read-only: %2").arg(target, detail));
}

component::Error WithoutPasswordPieces(const component::Error& error, const QStringList& pieces) {
  return component::Error(error.number(), error.source(),
                          ScrubPasswordPieces(error.description(), pieces));
}

component::Error CatalogUnreadableError(const QString& target, const QString& detail) {
  QString text = QStringLiteral("Cannot read the tables of '%1'").arg(target);
  if (!detail.isEmpty()) text += QStringLiteral(": ") + detail;
  return component::Error(kCatalogUnreadable, ErrorSource(), text);
}

}  // namespace dataaccess
