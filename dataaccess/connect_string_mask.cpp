#include "dataaccess/connect_string_mask.h"

#include <QRegularExpression>

namespace dataaccess {

QString MaskPasswords(const QString& connect_string) {
  static const QRegularExpression uri_password(QStringLiteral("(://[^/@:]*:)[^/@]*@"));
  static const QRegularExpression keyword_password(
      QStringLiteral("(\\b(?:pwd|password)\\s*=\\s*)(\\{[^}]*\\}|'(?:[^'\\\\]|\\\\.)*'|[^;\\s]*)"),
      QRegularExpression::CaseInsensitiveOption);
  static const QRegularExpression query_password(QStringLiteral("([?&]password=)[^&]*"),
                                                 QRegularExpression::CaseInsensitiveOption);
  QString masked = connect_string;
  if (masked.contains(QStringLiteral("://"))) {
    masked.replace(uri_password, QStringLiteral("\\1***@"));
    masked.replace(query_password, QStringLiteral("\\1***"));
  } else {
    masked.replace(keyword_password, QStringLiteral("\\1***"));
  }
  return masked;
}

}  // namespace dataaccess
