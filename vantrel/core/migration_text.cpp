// A migration script as the SQL text a person reads and runs.
#include <QRegularExpression>

#include "vantrel/core/migration_script.h"
#include "vantrel/core/report_text.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

// Every line of `text` as an SQL comment. A name may hold a line break of any kind (PostgreSQL
// ends a comment at a carriage return too): each one starts a new comment line, so that nothing
// after it can run.
QString Commented(const QString& text, const QString& prefix = QStringLiteral("-- ")) {
  static const QRegularExpression kLineBreak(QStringLiteral("\r\n|\r|\n"));
  QString out;
  for (const QString& line : text.split(kLineBreak)) out += prefix + line + u'\n';
  return out;
}

QString EngineWords(dataaccess::TypeDialect dialect) {
  switch (dialect) {
    case dataaccess::TypeDialect::kSqlite:
      return QStringLiteral("SQLite");
    case dataaccess::TypeDialect::kPostgres:
      return QStringLiteral("PostgreSQL");
    case dataaccess::TypeDialect::kMysql:
      return QStringLiteral("MySQL or MariaDB");
    case dataaccess::TypeDialect::kOther:
      break;
  }
  return QStringLiteral("an engine Vantrel writes no SQL for");
}

// A statement as the engine's command-line client reads it from a file: mysql ends a statement
// at the first semicolon, so one that holds others (a trigger's BEGIN ... END) is given its own
// delimiter.
QString ForTheClient(const QString& statement, dataaccess::TypeDialect dialect) {
  const QString body = statement.chopped(statement.endsWith(u';') ? 1 : 0);
  if (dialect != dataaccess::TypeDialect::kMysql || !body.contains(u';')) return statement;
  return "DELIMITER $$\n" + body + "$$\nDELIMITER ;";
}

// The report's paragraph of a difference, on one line.
QString ParagraphOf(const Difference& difference, const QString& primary,
                    const QString& secondary) {
  return ReportOf({difference}, primary, primary, secondary, secondary, false).trimmed();
}

}  // namespace

bool IsMigrationScript(const QByteArray& head) {
  static const QRegularExpression kJson(
      QStringLiteral(R"(^\s*\{[^\0]*"format"\s*:\s*"vantrel-migration")"));
  return head.startsWith("-- Gives '") || kJson.match(QString::fromUtf8(head)).hasMatch();
}

QString MigrationText(const MigrationScript& script, const QString& primary_name,
                      const QString& secondary_name) {
  const QString primary = VisibleText(primary_name);
  const QString secondary = VisibleText(secondary_name);
  int held = 0;
  for (const MigrationStep& step : script.steps) held += step.held_back.isEmpty() ? 0 : 1;
  QString text = Commented("Gives '" + secondary + "' (" + EngineWords(script.dialect) +
                           ") the structure of '" + primary + "'.");
  if (script.steps.empty()) return text + Commented(QStringLiteral("Nothing differs."));
  const size_t steps = script.steps.size();
  text +=
      Commented(QString::number(steps) + (steps == 1 ? " step, " : " steps, ") +
                QString::number(held) + " held back: written as comments, each under the reason.");
  if (script.dialect == dataaccess::TypeDialect::kSqlite) {
    text += Commented(QStringLiteral(
        "Run it so that it stops at the first error: sqlite3 -bail DATABASE < SCRIPT"));
  } else if (script.dialect == dataaccess::TypeDialect::kMysql) {
    text += Commented(QStringLiteral(
        "MySQL and MariaDB commit each change of a definition at once: a failure leaves the "
        "steps before it done."));
  }
  text += u'\n';
  for (const QString& statement : script.before) text += statement + u'\n';
  for (size_t i = 0; i < script.steps.size(); ++i) {
    const MigrationStep& step = script.steps[i];
    text += u'\n' + Commented("Step " + QString::number(i + 1) + ": " + step.title);
    // A step that finishes another's work (a rebuilt table's triggers) answers what it does.
    size_t same = 0;
    while (same < i && script.steps[same].answers != step.answers) ++same;
    if (same < i && !step.answers.empty()) {
      text += Commented("Answers what step " + QString::number(same + 1) + " answers.");
    } else {
      for (const int answer : step.answers) {
        if (answer < 0) continue;
        text += Commented("Answers: " + ParagraphOf(script.differences[static_cast<size_t>(answer)],
                                                    primary, secondary));
      }
    }
    for (const QString& note : step.notes) text += Commented(note);
    if (step.held_back.isEmpty()) {
      for (const QString& statement : step.statements) {
        text += ForTheClient(statement, script.dialect) + u'\n';
      }
      continue;
    }
    text += Commented((step.inexpressible ? "NOT WRITTEN: " : "HELD BACK: ") + step.held_back);
    for (const QString& statement : step.statements) text += Commented(statement, "-- | ");
  }
  text += u'\n';
  for (const QString& statement : script.after) text += statement + u'\n';
  return text;
}

}  // namespace vantrel
