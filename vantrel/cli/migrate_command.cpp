#include "vantrel/cli/migrate_command.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_objects.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/input_files.h"
#include "vantrel/cli/report_options.h"
#include "vantrel/cli/source_argument.h"
#include "vantrel/cli/standard_output.h"
#include "vantrel/core/comparison_run.h"
#include "vantrel/core/difference_risk.h"
#include "vantrel/core/json_report.h"
#include "vantrel/core/migration_run.h"
#include "vantrel/core/migration_script.h"
#include "vantrel/core/migration_sql.h"
#include "vantrel/core/output_file.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::cli {
namespace {

constexpr char kMigrateFooter[] =
    "Writes the SQL that, run on SECONDARY, gives it PRIMARY's structure: the direction of\n"
    "--explain, where the secondary's data moves to the primary's definition. PRIMARY and\n"
    "SECONDARY are anything 'compare' takes (a stored name, a file, a URL; PRIMARY may be a\n"
    "snapshot). Nothing is run on either database: the script is for a person to read and run.\n"
    "\n"
    "The script is in SECONDARY's dialect: SQLite, PostgreSQL, or MySQL and MariaDB. Across\n"
    "engines, types come from the type table; what the target cannot express is written as a\n"
    "comment saying so (NOT WRITTEN) and counts as held back.\n"
    "\n"
    "Steps run in the order of what they depend on: views that read what changes are dropped\n"
    "first and made again last, new tables exist before a foreign key names them, tables go\n"
    "after the foreign keys that name them. On SQLite, a change its ALTER TABLE cannot make\n"
    "rebuilds the table with foreign keys off outside one transaction: the rows kept in a\n"
    "temporary table, the table dropped and made anew under its own name, the rows copied\n"
    "back, its indexes and triggers made, the AUTOINCREMENT counter kept, every reference\n"
    "checked before COMMIT: no ON DELETE action fires and no child row is lost.\n"
    "--objects narrows the differences the script answers, not what a table is made of: a\n"
    "table the script makes is made whole from PRIMARY's definition, with its keys,\n"
    "defaults, checks, indexes, foreign keys and triggers. A table SQLite rebuilds keeps\n"
    "its indexes and triggers as SECONDARY has them where --objects does not compare them;\n"
    "the rest of its definition is PRIMARY's, and a comment on the step says what of it\n"
    "was not compared or was left out by --ignore.\n"
    "\n"
    "A step that can lose data or fail on the rows already there (a table or field that goes,\n"
    "a narrower type, a new NOT NULL, UNIQUE, check or foreign key, a type change that is not\n"
    "wider) is held back: written commented out (HELD BACK) under the risk line --explain\n"
    "prints, unless --allow-unsafe. A table or field that goes while another of the same\n"
    "definition comes is not taken for a rename; a comment says it may be one.\n"
    "\n"
    "--verify proves the script before printing it: SECONDARY (an SQLite file) is copied\n"
    "through SQLite's backup API into a private temporary file, the script runs there, the\n"
    "copy must pass integrity_check and foreign_key_check, keep the number of rows of every\n"
    "table the script keeps, and compare equal to PRIMARY in everything compared except what\n"
    "was held back; then the copy is deleted. A PostgreSQL or MySQL SECONDARY is proven in\n"
    "the database --scratch URL names, of the same engine, which must hold no table, view or\n"
    "sequence: SECONDARY's structure is made there from its catalog, the script runs on it\n"
    "(in one transaction on PostgreSQL) and the result is compared with PRIMARY; everything\n"
    "made there is dropped afterwards. A script that fails is not printed: the error says\n"
    "which step and why.\n"
    "\n"
    "--from-empty writes PRIMARY's whole structure as a script for an empty database, in\n"
    "PRIMARY's dialect or the one --dialect names (sqlite, postgresql, mysql); with --verify\n"
    "it is run on an empty SQLite database and compared with PRIMARY.\n"
    "\n"
    "--format json writes {\"format\": \"vantrel-migration\", \"dialect\", \"before\", \"steps\",\n"
    "\"after\"}: each step with its \"title\", \"notes\" (the comments under its title),\n"
    "\"statements\", \"held_back\" (the reason, or null), \"inexpressible\" and \"answers\",\n"
    "the differences it answers as 'compare --format json' writes them, each with its \"risk\".\n"
    "\n"
    "Exit status:\n"
    "  0  nothing differs, or every step is in the script\n"
    "  1  a step was held back\n"
    "  2  error: a database could not be opened, the script was not proven, the output\n"
    "     could not be written";

struct MigrateOptions : ReportOptions {
  std::string primary;
  std::string secondary;
  std::string output;
  std::string dialect;
  std::string scratch;
  bool allow_unsafe = false;
  bool verify = false;
  bool from_empty = false;
};

bool IsMigrationText(const QByteArray& head, const QByteArray& /*tail*/) {
  return IsMigrationScript(head);
}

QString DialectWord(dataaccess::TypeDialect dialect) {
  switch (dialect) {
    case dataaccess::TypeDialect::kSqlite:
      return QStringLiteral("sqlite");
    case dataaccess::TypeDialect::kPostgres:
      return QStringLiteral("postgresql");
    case dataaccess::TypeDialect::kMysql:
      return QStringLiteral("mysql");
    case dataaccess::TypeDialect::kOther:
      break;
  }
  return QString();
}

QByteArray MigrationJson(const MigrationScript& script, const QString& primary,
                         const QString& secondary) {
  JsonReport differences;
  for (const Difference& difference : script.differences) differences.Found(difference);
  QJsonArray steps;
  for (const MigrationStep& step : script.steps) {
    QJsonArray answers;
    for (const int answer : step.answers) {
      if (answer < 0) continue;
      const Difference& d = script.differences[static_cast<size_t>(answer)];
      QJsonObject object = differences.Differences().at(answer).toObject();
      object.insert(QStringLiteral("risk"), d.driving_is_primary
                                                ? DifferenceRisk(d, primary, secondary)
                                                : DifferenceRisk(d, secondary, primary));
      answers.append(object);
    }
    steps.append(QJsonObject{
        {QStringLiteral("title"), step.title},
        {QStringLiteral("notes"), QJsonArray::fromStringList(step.notes)},
        {QStringLiteral("statements"), QJsonArray::fromStringList(step.statements)},
        {QStringLiteral("held_back"),
         step.held_back.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(step.held_back)},
        {QStringLiteral("inexpressible"), step.inexpressible},
        {QStringLiteral("answers"), answers}});
  }
  const QJsonObject document{{QStringLiteral("format"), QStringLiteral("vantrel-migration")},
                             {QStringLiteral("version"), 1},
                             {QStringLiteral("primary"), primary},
                             {QStringLiteral("secondary"), secondary},
                             {QStringLiteral("dialect"), DialectWord(script.dialect)},
                             {QStringLiteral("before"), QJsonArray::fromStringList(script.before)},
                             {QStringLiteral("steps"), steps},
                             {QStringLiteral("after"), QJsonArray::fromStringList(script.after)}};
  return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

int Fail(const QString& message) {
  std::fprintf(stderr, "vantrel-cli: %s\n", message.toUtf8().constData());
  return kFailed;
}

// The argument as a message may show it: passwords masked, controls escaped.
QString Shown(const std::string& argument) {
  return VisibleText(
      dataaccess::MaskPasswords(dataaccess::NameFromBytes(QByteArrayView(argument))));
}

// The engine --dialect names; empty for none.
QString EngineOfDialect(const std::string& dialect) {
  if (dialect == "sqlite") return dataaccess::EngineName(TypeDialect::kSqlite);
  if (dialect == "postgresql") return dataaccess::EngineName(TypeDialect::kPostgres);
  if (dialect == "mysql") return dataaccess::EngineName(TypeDialect::kMysql);
  return QString();
}

int RunMigrate(const MigrateOptions& options) {
  const bool to_stdout = options.output.empty() || options.output == "-";
  const QString output = dataaccess::NameFromBytes(QByteArrayView(options.output));
  if (options.from_empty == !options.secondary.empty()) {
    return Fail(QStringLiteral("migrate takes SECONDARY or --from-empty, one of the two"));
  }
  if (!options.dialect.empty() && !options.from_empty) {
    return Fail(
        QStringLiteral("--dialect is for --from-empty: otherwise SECONDARY's engine is "
                       "the dialect"));
  }
  MigrationRequest request;
  request.walk = WalkOptionsOf(options);
  if (options.objects.empty()) request.walk.compared = kCompareAll;
  request.allow_unsafe = options.allow_unsafe;
  request.verify = options.verify;
  request.scratch = dataaccess::NameFromBytes(QByteArrayView(options.scratch));
  if (!options.scratch.empty() && !options.verify) {
    return Fail(QStringLiteral("--scratch is where --verify proves the script: give both"));
  }
  MigrationResult planned;
  try {
    const auto primary = [&] { return SourceFromArgument(options.primary, std::string()); };
    planned =
        options.from_empty
            ? RunMigrationFromEmpty(primary, EngineOfDialect(options.dialect), request)
            : RunMigration(
                  primary, [&] { return SourceFromArgument(options.secondary, std::string()); },
                  request);
  } catch (const SideError& error) {
    const bool is_primary = error.side() == Side::kPrimary;
    return Fail(QStringLiteral("cannot open the %1 database '%2': %3 (error %4)")
                    .arg(is_primary ? QStringLiteral("primary") : QStringLiteral("secondary"),
                         Shown(is_primary ? options.primary : options.secondary),
                         VisibleText(error.description()), QString::number(error.number())));
  } catch (const UnmatchedPatternsError& error) {
    QStringList patterns;
    for (const QString& glob : error.include()) {
      patterns.append("--include '" + VisibleText(glob) + "'");
    }
    for (const QString& glob : error.exclude()) {
      patterns.append("--exclude '" + VisibleText(glob) + "'");
    }
    return Fail(patterns.join(QStringLiteral(", ")) +
                " did not match any table in either database");
  } catch (const component::Error& error) {
    return Fail(VisibleText(error.description()) + " (error " + QString::number(error.number()) +
                ")");
  }
  for (const QString& side : {planned.primary_connect_string, planned.secondary_connect_string}) {
    const QString file = FileOfConnectString(side);
    if (!to_stdout && !file.isEmpty() && WouldReplace(output, file)) {
      return Fail("will not write the script to '" + VisibleText(output) +
                  "': it is the database '" + VisibleText(file) + "' or one of its files");
    }
  }
  const QString& refused = planned.refused;
  const std::optional<MigrationScript>& script = planned.script;
  const QString& primary_name = planned.primary_name;
  const QString& secondary_name = planned.secondary_name;
  if (!refused.isEmpty()) return Fail(refused);
  if (!script) return kFailed;
  const QByteArray text = options.format == "json"
                              ? MigrationJson(*script, primary_name, secondary_name)
                              : MigrationText(*script, primary_name, secondary_name).toUtf8();
  if (to_stdout) {
    WriteStandardOutput(text);
    FlushStandardOutput();
  } else {
    try {
      const auto taken = [&output] {
        return Fail("will not write the script to '" + VisibleText(output) +
                    "': " + WhyTaken(output) + "; remove it or name another file");
      };
      if (StateOf(output, IsMigrationText) == PathState::kTaken) return taken();
      OutputFile out(output);
      if (out.Device().write(text) != text.size()) {
        throw component::Error(component::kPathFileAccessError, QStringLiteral("vantrel-cli"),
                               "cannot write '" + output + "'");
      }
      if (!out.Commit(IsMigrationText)) return taken();
    } catch (const component::Error& error) {
      return Fail("cannot write the script to '" + VisibleText(output) +
                  "': " + VisibleText(error.description()));
    }
  }
  return script->AnythingHeldBack() ? kDifferencesFound : kNoDifferences;
}

}  // namespace

void AddMigrateCommand(CLI::App& app, std::function<int()>* run) {
  auto options = std::make_shared<MigrateOptions>();
  CLI::App* migrate = app.add_subcommand(
      "migrate", "Write the SQL that gives the secondary database the primary's structure");
  migrate->footer(kMigrateFooter);
  AddSelectionOptions(*migrate, *options, "all");
  migrate->add_flag("--allow-unsafe", options->allow_unsafe,
                    "Write the steps that can lose data or fail on existing rows instead of "
                    "holding them back");
  migrate->add_flag("--verify", options->verify,
                    "Prove the script on a private copy of the secondary (SQLite) before "
                    "printing it");
  migrate
      ->add_option("--scratch", options->scratch,
                   "With --verify on PostgreSQL or MySQL: an empty database of the "
                   "secondary's engine to prove the script in")
      ->type_name("URL");
  migrate->add_option("-o,--output", options->output, "Write to FILE instead of standard output")
      ->type_name("FILE");
  migrate->add_option("--format", options->format, "sql (the script) or json")
      ->check(CLI::IsMember({"sql", "json"}));
  migrate->add_option("PRIMARY", options->primary, "The database whose structure is the target")
      ->required();
  migrate->add_option("SECONDARY", options->secondary, "The database the script is for");
  migrate->add_flag("--from-empty", options->from_empty,
                    "Write the script that makes PRIMARY's whole structure in an empty database");
  migrate
      ->add_option("--dialect", options->dialect,
                   "With --from-empty: the engine to write for (default: PRIMARY's)")
      ->check(CLI::IsMember({"sqlite", "postgresql", "mysql"}));
  options->format = "sql";
  migrate->callback([run, options] { *run = [options] { return RunMigrate(*options); }; });
}

}  // namespace vantrel::cli
