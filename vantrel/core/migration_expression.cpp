// An expression of a check, a partial index's condition or a generated column, written for
// another engine than the one it was read from.
#include <QSet>

#include "dataaccess/catalog/mysql_strings.h"
#include "dataaccess/catalog/sql_tokens.h"
#include "dataaccess/object_rules.h"
#include "platform/component/error.h"
#include "vantrel/core/migration_sql.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;
using Kind = dx::SqlToken::Kind;

// The words every engine reads alike in an expression.
bool IsSharedKeyword(const QString& lower) {
  static const QSet<QString> kWords = {
      QStringLiteral("and"),  QStringLiteral("or"),    QStringLiteral("not"),
      QStringLiteral("in"),   QStringLiteral("is"),    QStringLiteral("null"),
      QStringLiteral("true"), QStringLiteral("false"), QStringLiteral("between"),
      QStringLiteral("case"), QStringLiteral("when"),  QStringLiteral("then"),
      QStringLiteral("else"), QStringLiteral("end")};
  return kWords.contains(lower);
}

// The words a parenthesised group may follow without being a function's arguments.
bool IsKeywordBeforeGroup(const QString& lower) {
  return lower == QLatin1String("and") || lower == QLatin1String("or") ||
         lower == QLatin1String("not") || lower == QLatin1String("in") ||
         lower == QLatin1String("when") || lower == QLatin1String("then") ||
         lower == QLatin1String("else");
}

// The words whose meaning engines differ on: matching (LIKE is blind to case on SQLite and under
// MySQL's usual collations only), collations, and what reads other rows or other types.
bool IsEngineSpecificWord(const QString& lower) {
  static const QSet<QString> kWords = {
      QStringLiteral("like"),     QStringLiteral("ilike"),  QStringLiteral("glob"),
      QStringLiteral("regexp"),   QStringLiteral("rlike"),  QStringLiteral("similar"),
      QStringLiteral("match"),    QStringLiteral("escape"), QStringLiteral("collate"),
      QStringLiteral("distinct"), QStringLiteral("exists"), QStringLiteral("select"),
      QStringLiteral("cast"),     QStringLiteral("div"),    QStringLiteral("xor")};
  return kWords.contains(lower);
}

// The functions every engine computes alike for the same arguments. Not length(), which counts
// bytes on MySQL, nor anything that reads the clock.
bool IsSharedFunction(const QString& lower) {
  return lower == QLatin1String("lower") || lower == QLatin1String("upper") ||
         lower == QLatin1String("abs") || lower == QLatin1String("coalesce") ||
         lower == QLatin1String("nullif");
}

// The operators every engine reads alike: not ||, which is OR to MySQL and joins texts elsewhere,
// nor /, which divides integers to an integer on SQLite and PostgreSQL only, nor ^, ~ and the
// JSON arrows.
bool IsSharedOperator(const QString& spelling) {
  static const QSet<QString> kOperators = {
      QStringLiteral("("),  QStringLiteral(")"),  QStringLiteral(","),  QStringLiteral("="),
      QStringLiteral("=="), QStringLiteral("<>"), QStringLiteral("!="), QStringLiteral("<"),
      QStringLiteral("<="), QStringLiteral(">"),  QStringLiteral(">="), QStringLiteral("+"),
      QStringLiteral("-"),  QStringLiteral("*"),  QStringLiteral("%")};
  return kOperators.contains(spelling);
}

// The name of `table`'s column that `name` names, as the table spells it; empty for none.
QString ColumnNamed(const dx::DataTable* table, const QString& name) {
  if (table == nullptr) return QString();
  try {
    return table->Columns().Item(name).Name();
  } catch (const component::Error&) {
    return QString();
  }
}

// The column `name` names as the statement must spell it: as `target` spells it where the target
// has the column already (PostgreSQL tells names apart by letter case once quoted), otherwise as
// `table` does; empty when `table` has no such column.
QString Spelling(const dx::DataTable* table, const dx::DataTable* target, const QString& name) {
  QString column = ColumnNamed(table, name);
  if (column.isEmpty()) return column;
  QString existing = ColumnNamed(target, column);
  return existing.isEmpty() ? column : existing;
}

}  // namespace

QString MigrationSql::Expression(const QString& expression, const dx::DataTable* table,
                                 const dx::DataTable* target, bool* portable) const {
  *portable = true;
  if (SameEngine()) return expression;
  // PostgreSQL shows what it was given in a form of its own: casts of literals, IN as
  // = ANY (ARRAY[...]), BETWEEN as two comparisons. Its canonical form reads as the others do.
  // MySQL escapes in strings with a backslash; the standard spelling holds each string's value.
  const QString text = source_ == TypeDialect::kPostgres
                           ? dx::ExpressionMeaning(expression, {false, true})
                       : source_ == TypeDialect::kMysql ? dx::MysqlStringsAsStandard(expression)
                                                        : expression;
  std::vector<dx::SqlToken> tokens;
  try {
    tokens = dx::SqlTokens(text);
  } catch (const dx::SqlSyntaxError&) {
    *portable = false;
    return expression;
  }
  QString written;
  qsizetype copied = 0;
  // The canonical form puts a space between any two tokens; it is written as SQL is usually
  // spaced instead.
  const bool respaced = source_ == TypeDialect::kPostgres;
  QString previous;
  // Writes what stands between the last token written and `token`, then `spelling` for it.
  const auto put = [&](const dx::SqlToken& token, const QString& spelling) {
    if (!respaced) {
      written += QStringView(text).mid(copied, token.offset - copied);
    } else if (!written.isEmpty() && previous != u'(' && spelling != u')' && spelling != u',') {
      written += u' ';
    }
    written += spelling;
    previous = spelling;
    copied = token.offset + token.length;
  };
  for (size_t i = 0; i < tokens.size() && *portable; ++i) {
    const dx::SqlToken& token = tokens[i];
    const bool called = i + 1 < tokens.size() && tokens[i + 1].kind == Kind::kOperator &&
                        tokens[i + 1].text == u'(';
    switch (token.kind) {
      case Kind::kWord: {
        const QString lower = token.text.toLower();
        const QString column = Spelling(table, target, token.text);
        const bool shared = !IsEngineSpecificWord(lower);
        if (shared && called) {
          // MySQL shows lower() and upper() as lcase() and ucase(), which only it knows.
          const QString function = lower == QLatin1String("lcase")   ? QStringLiteral("lower")
                                   : lower == QLatin1String("ucase") ? QStringLiteral("upper")
                                                                     : token.text;
          *portable = IsSharedFunction(function.toLower()) || IsKeywordBeforeGroup(lower);
          put(token, function);
        } else if (shared && (IsSharedKeyword(lower) || table == nullptr)) {
          // A keyword, even where a column bears its name (the column is quoted where meant);
          // without a table, any word.
          put(token, token.text);
        } else if (shared && !column.isEmpty()) {
          // A bare name is folded to lower case by PostgreSQL: quoted, it names the column as
          // the table there spells it on every engine.
          put(token, Name(column));
        } else {
          *portable = false;
        }
        break;
      }
      case Kind::kIdentifier: {
        // To MySQL a double-quoted text is a string.
        *portable = !(source_ == TypeDialect::kMysql && text[token.offset] == u'"');
        const QString column = Spelling(table, target, token.text);
        put(token, Name(column.isEmpty() ? token.text : column));
        break;
      }
      case Kind::kString:
        put(token, Literal(token.text));
        break;
      case Kind::kNumber:
        put(token, token.text);
        break;
      case Kind::kOperator:
        *portable = IsSharedOperator(token.text);
        put(token, token.text == QLatin1String("==") ? QStringLiteral("=") : token.text);
        break;
      default:
        *portable = false;
        break;
    }
  }
  if (!*portable) return expression;
  if (!respaced) written += QStringView(text).mid(copied);
  return written;
}

}  // namespace vantrel
