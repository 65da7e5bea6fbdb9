#include "dataaccess/server/server_table_name.h"

namespace dataaccess {
namespace {

// A part of a qualified name that could be mistaken for two parts, or for a quoted part, is
// quoted as SQL quotes identifiers; every other part is written as it is.
QString NamePart(const QString& part) {
  if (!part.contains(u'.') && !part.startsWith(u'"')) return part;
  QString quoted = part;
  quoted.replace(u'"', QStringLiteral("\"\""));
  return u'"' + quoted + u'"';
}

}  // namespace

QString ServerTableName(const QString& default_schema, const QString& schema,
                        const QString& table) {
  if (schema.isEmpty() || schema == default_schema) return NamePart(table);
  return NamePart(schema) + u'.' + NamePart(table);
}

}  // namespace dataaccess
