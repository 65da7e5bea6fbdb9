#include "dataaccess/postgres/postgres_copy.h"

#include <memory>
#include <optional>

#include "dataaccess/postgres/postgres_session.h"
#include "dataaccess/server/server_connect.h"

namespace dataaccess {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsOctalDigit(char c) { return c >= '0' && c <= '7'; }

// The byte a backslash escape stands for; `in` is just after the backslash and is moved past the
// escape. COPY writes \b \f \n \r \t \v and doubles a backslash; octal and hexadecimal escapes
// are read too, and any other escaped character stands for itself.
char Unescape(const char*& in, const char* end) {
  const char c = *in++;
  switch (c) {
    case 'b':
      return '\b';
    case 'f':
      return '\f';
    case 'n':
      return '\n';
    case 'r':
      return '\r';
    case 't':
      return '\t';
    case 'v':
      return '\v';
    case 'x':
      if (in < end && HexDigit(*in) >= 0) {
        int value = HexDigit(*in++);
        if (in < end && HexDigit(*in) >= 0) value = value * 16 + HexDigit(*in++);
        return static_cast<char>(value);
      }
      return c;
    default:
      if (IsOctalDigit(c)) {
        int value = c - '0';
        for (int digits = 1; digits < 3 && in < end && IsOctalDigit(*in); ++digits) {
          value = value * 8 + (*in++ - '0');
        }
        return static_cast<char>(value);
      }
      return c;
  }
}

// What a user can do about a reply this reader does not understand.
const QString kReport =
    QStringLiteral("please report this, with what SELECT version() says on the server");

struct Freemem {
  void operator()(char* buffer) const { PQfreemem(buffer); }
};

}  // namespace

bool CopyTextRow::Parse(char* line, size_t length, size_t expected_fields) {
  fields_.clear();
  if (length > 0 && line[length - 1] == '\n') --length;
  const char* in = line;
  const char* const end = line + length;
  char* out = line;  // decoding never lengthens a field, so it writes over what it has read
  for (;;) {
    const char* const raw = in;
    char* const field = out;
    while (in < end && *in != '\t') {
      if (*in == '\\' && in + 1 < end) {
        ++in;
        *out++ = Unescape(in, end);
      } else {
        *out++ = *in++;
      }
    }
    const bool null = in - raw == 2 && raw[0] == '\\' && raw[1] == 'N';
    fields_.emplace_back(null ? std::string_view() : std::string_view(field, out - field));
    if (in == end) break;
    ++in;  // the tab
  }
  return fields_.size() == expected_fields;
}

void ForEachCopyRow(PGconn* conn, const char* copy_query, const QString& target, size_t fields,
                    const std::function<void(const CopyTextRow&)>& row) {
  std::optional<QString> failure;
  const auto server_failure = [&] {
    const QString message = QString::fromUtf8(PQerrorMessage(conn)).trimmed();
    return message.isEmpty()
               ? QStringLiteral("the server did not send the catalog; %1").arg(kReport)
               : message;
  };
  {
    const PgResult started(PQexec(conn, copy_query));
    if (!started || PQresultStatus(started.get()) != PGRES_COPY_OUT) {
      throw CatalogUnreadableError(target, server_failure());
    }
  }
  CopyTextRow parsed;
  char* line = nullptr;
  int length = 0;
  // The rows are read to the end even after a bad one: the server's own verdict follows them.
  while ((length = PQgetCopyData(conn, &line, 0)) > 0) {
    const std::unique_ptr<char, Freemem> owned(line);
    if (failure) continue;
    if (parsed.Parse(line, static_cast<size_t>(length), fields)) {
      row(parsed);
    } else {
      failure = QStringLiteral("a catalog row did not have the %1 fields asked for; %2")
                    .arg(fields)
                    .arg(kReport);
    }
  }
  if (length == -2 && !failure) failure = server_failure();
  while (PGresult* raw = PQgetResult(conn)) {
    const PgResult result(raw);
    if (PQresultStatus(raw) != PGRES_COMMAND_OK && !failure) failure = server_failure();
  }
  if (failure) throw CatalogUnreadableError(target, *failure);
}

}  // namespace dataaccess
