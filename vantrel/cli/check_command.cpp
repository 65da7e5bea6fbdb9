#include "vantrel/cli/check_command.h"

#include "vantrel/cli/input_files.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/schema_set.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/json_report.h"
#include "vantrel/cli/progress_line.h"
#include "vantrel/cli/report_options.h"
#include "vantrel/cli/source_argument.h"
#include "vantrel/core/fleet_check.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::cli {
namespace {

constexpr char kCheckFooter[] =
    "Compares every TARGET with REFERENCE, as 'compare REFERENCE TARGET' would, and prints\n"
    "one line per target in the order given: 'NAME: identical', 'NAME: 3 differences' or\n"
    "'NAME: cannot be compared: WHY'. Then the targets that differ from the reference in\n"
    "exactly the same way are listed together, with their report once (the target's name in\n"
    "it written <target>), and a last line counts them all.\n"
    "\n"
    "REFERENCE and each TARGET are a stored data source or a database, as 'compare --help'\n"
    "lists them; a snapshot taken by 'vantrel-cli snapshot' makes a good reference. --targets\n"
    "FILE reads more targets, one a line ('-' for standard input); blank lines and lines\n"
    "starting with '#' are skipped.\n"
    "\n"
    "Schemas and databases of a server:\n"
    "  A PostgreSQL connect string may name a schema, which then stands for the whole\n"
    "  database: postgresql://HOST/DB?schema=tenant_17, or 'host=HOST dbname=DB\n"
    "  schema=tenant_17'. Its tables are named without the schema, so a tenant's schema\n"
    "  compares equal to a reference of the same tables under any name ('compare' takes such\n"
    "  strings too). On MySQL and MariaDB the database is the schema.\n"
    "  The schema or database may be a shell pattern ('*', '?', [...]), expanded on the server\n"
    "  in name order: postgresql://HOST/DB?schema=tenant_* is every schema of DB whose name\n"
    "  matches, mysql://USER@HOST/tenant_* every matching database (write '?' as %3F in a\n"
    "  MySQL URI's path). A pattern that matches nothing is an error.\n"
    "  All the targets of one PostgreSQL database are read through one connection, with one\n"
    "  read of the catalog; all those of one MySQL or MariaDB server through one connection.\n"
    "  Other targets are read --jobs at a time. Targets never ask for a password: give it in\n"
    "  ~/.pgpass, ~/.my.cnf or the connect string.\n"
    "\n"
    "The lines are named after the schema of a schema, the database of a MySQL or MariaDB\n"
    "database, the file name of a file, and otherwise the target as given (passwords masked).\n"
    "\n"
    "--include, --exclude and --ignore shape every target's report as they shape compare's.\n"
    "--reports DIR writes the full report of each differing target to DIR/NAME.txt (NAME.json\n"
    "with --format json; characters other than letters, digits, '.', '_' and '-' written '_',\n"
    "a number added where two names meet or a name is one of the inputs). --format json prints\n"
    "one document instead of the lines: \"reference\", \"targets\" (each with its \"name\",\n"
    "\"status\" identical, differs or failed, its \"differences\" as compare's document gives\n"
    "them, or its \"error\") and a \"summary\" of the counts.\n"
    "\n"
    "Exit status:\n"
    "  0  every target is identical to the reference\n"
    "  1  some targets differ, and every target could be compared\n"
    "  2  some target could not be compared (the others are still checked and reported), a\n"
    "     pattern matched nothing, the reference could not be opened or the command line is\n"
    "     wrong\n"
    "\n"
    "When standard error is a terminal, the number of targets checked is shown there.";

struct CheckOptions : ReportOptions {
  std::string reference;
  std::vector<std::string> targets;
  std::string targets_file;
  std::string reports;
  int jobs = 0;
};

QByteArray Utf8(const QString& text) { return text.toUtf8(); }

QString Number(size_t n) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(static_cast<qulonglong>(n));
}

// The targets of --targets FILE, '-' for standard input; nullopt when it cannot be read.
std::optional<std::vector<std::string>> TargetsOfFile(const std::string& path) {
  QFile file;
  const bool opened = path == "-" ? file.open(stdin, QIODevice::ReadOnly)
                                  : (file.setFileName(QString::fromLocal8Bit(path)),
                                     file.open(QIODevice::ReadOnly));
  if (!opened) return std::nullopt;
  std::vector<std::string> targets;
  while (!file.atEnd()) {
    const QByteArray line = file.readLine().trimmed();
    if (line.isEmpty() || line.startsWith('#')) continue;
    targets.push_back(line.toStdString());
  }
  return targets;
}

// A target's data source, shown under its file name when it is a file.
DataSource TargetSource(const std::string& argument) {
  DataSource source = SourceFromArgument(argument);
  if (ProgramDataSources().IsListed(QString::fromLocal8Bit(argument))) return source;
  const QString file = FileOfConnectString(source.connect_string);
  if (!file.isEmpty()) source.display_name = QFileInfo(file).fileName();
  return source;
}

// A file name made of `name`'s letters, digits, '.', '_' and '-', never "." or "..".
QString SafeFileName(const QString& name) {
  QString safe;
  for (const QChar c : name) {
    safe += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'_' || c == u'-'
                ? c
                : u'_';
  }
  if (safe.isEmpty() || safe.startsWith(u'.')) safe.prepend(u'_');
  return safe.left(200);
}

const char* StatusName(FleetResult::Status status) {
  switch (status) {
    case FleetResult::Status::kIdentical:
      return "identical";
    case FleetResult::Status::kDiffers:
      return "differs";
    case FleetResult::Status::kFailed:
      return "failed";
  }
  return "";
}

QString WithLineFeeds(QString report) {
  return report.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void Print(const QString& text) {
  const QByteArray bytes = Utf8(text);
  std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stdout);
}

JsonReport JsonOf(const FleetResult& result) {
  JsonReport json;
  for (const Difference& difference : result.differences) json.Found(difference);
  return json;
}

// "; not compared: ..." for a target line, when something was not compared.
QString NotComparedSuffix(const FleetResult& result) {
  QStringList gaps;
  for (const NotCompared& gap : result.not_compared) {
    if (gap.across_engines) {
      gaps.append(gap.what + QStringLiteral(" (other engine)"));
      continue;
    }
    gaps.append(gap.what + (gap.side == Side::kPrimary ? QStringLiteral(" (the reference)")
                                                       : QStringLiteral(" (the target)")));
  }
  return gaps.isEmpty() ? QString() : "; not compared: " + gaps.join(QStringLiteral(", "));
}

// The text lines: one per target, the groups, the counts.
void PrintLines(const std::vector<FleetResult>& results) {
  size_t identical = 0;
  size_t differ = 0;
  size_t failed = 0;
  // Groups by the report with the target's own name taken out, in the order first seen.
  std::map<QString, size_t> group_of;
  std::vector<std::pair<QString, QStringList>> groups;
  for (const FleetResult& result : results) {
    const QString name = VisibleText(result.name);
    switch (result.status) {
      case FleetResult::Status::kIdentical:
        ++identical;
        Print(name + QStringLiteral(": identical") + NotComparedSuffix(result) + u'\n');
        break;
      case FleetResult::Status::kDiffers: {
        ++differ;
        const size_t count = result.differences.size();
        Print(QStringLiteral("%1: %2 difference%3%4\n")
                  .arg(name, Number(count), count == 1 ? QString() : QStringLiteral("s"),
                       NotComparedSuffix(result)));
        QString shared = WithLineFeeds(result.report);
        shared.replace(result.qualified_name, QStringLiteral("<target>"));
        auto [it, added] = group_of.try_emplace(shared, groups.size());
        if (added) groups.emplace_back(shared, QStringList());
        groups[it->second].second.append(name);
        break;
      }
      case FleetResult::Status::kFailed:
        ++failed;
        Print(name + QStringLiteral(": cannot be compared: ") + VisibleText(result.failure) +
              u'\n');
        break;
    }
  }
  std::stable_sort(groups.begin(), groups.end(),
                   [](const auto& a, const auto& b) { return a.second.size() > b.second.size(); });
  for (const auto& [report, names] : groups) {
    const size_t count = static_cast<size_t>(names.size());
    Print(count == 1 ? QStringLiteral("\n1 target differs this way: %1\n\n").arg(names.first())
                     : QStringLiteral("\n%1 targets differ the same way: %2\n\n")
                           .arg(Number(count), names.join(QStringLiteral(", "))));
    QString text = report;
    while (text.endsWith(u'\n')) text.chop(1);
    Print(text + u'\n');
  }
  Print(QStringLiteral("\n%1 target%2: %3 identical, %4 differ%5, %6 could not be compared\n")
            .arg(Number(results.size()), results.size() == 1 ? QString() : QStringLiteral("s"),
                 Number(identical), Number(differ), differ == 1 ? QStringLiteral("s") : QString(),
                 Number(failed)));
}

QByteArray Document(const QString& reference_name, const std::vector<FleetResult>& results) {
  QJsonArray targets;
  QJsonObject summary{{QStringLiteral("targets"), static_cast<qint64>(results.size())},
                      {QStringLiteral("identical"), 0},
                      {QStringLiteral("differs"), 0},
                      {QStringLiteral("failed"), 0}};
  for (const FleetResult& result : results) {
    const QString status = QString::fromLatin1(StatusName(result.status));
    summary[status] = summary[status].toInt() + 1;
    QJsonObject target{{QStringLiteral("name"), result.name}, {QStringLiteral("status"), status}};
    if (result.status == FleetResult::Status::kDiffers) {
      target.insert(QStringLiteral("differences"), JsonOf(result).Differences());
    }
    if (result.status == FleetResult::Status::kFailed) {
      target.insert(QStringLiteral("error"), result.failure);
    }
    if (!result.not_compared.empty()) {
      target.insert(QStringLiteral("not_compared"),
                    NotComparedJson(result.not_compared, QStringLiteral("reference"),
                                    QStringLiteral("target")));
    }
    targets.append(target);
  }
  const QJsonObject document{
      {QStringLiteral("format"), QStringLiteral("vantrel-check")},
      {QStringLiteral("version"), 1},
      {QStringLiteral("reference"), reference_name},
      {QStringLiteral("targets"), targets},
      {QStringLiteral("summary"), summary},
  };
  return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

// Writes each differing target's report into `folder`; false (after saying why) on failure.
bool WriteReports(const QString& folder, bool json, const QString& reference_name,
                  const std::vector<FleetResult>& results, const QStringList& inputs) {
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "vantrel-cli: cannot create the folder '%s'\n",
                 Utf8(VisibleText(folder)).constData());
    return false;
  }
  QSet<QString> used;
  for (const FleetResult& result : results) {
    if (result.status != FleetResult::Status::kDiffers) continue;
    const QString base = SafeFileName(result.name);
    const QString suffix = json ? QStringLiteral(".json") : QStringLiteral(".txt");
    QString path;
    for (int n = 1;; ++n) {
      path = QDir(folder).filePath(base + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) +
                                   suffix);
      const bool is_input = std::any_of(inputs.begin(), inputs.end(), [&](const QString& input) {
        return WouldReplace(path, input);
      });
      if (!used.contains(path) && !is_input) break;
    }
    used.insert(path);
    QSaveFile file(path);
    const QByteArray content = json ? JsonOf(result).Document(reference_name, result.name)
                                    : Utf8(WithLineFeeds(result.report));
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.commit()) {
      std::fprintf(stderr, "vantrel-cli: cannot write the report '%s': %s\n",
                   Utf8(VisibleText(path)).constData(), Utf8(file.errorString()).constData());
      return false;
    }
  }
  return true;
}

int RunCheck(const CheckOptions& options) {
  std::vector<std::string> arguments = options.targets;
  if (!options.targets_file.empty()) {
    const auto listed = TargetsOfFile(options.targets_file);
    if (!listed) {
      std::fprintf(stderr, "vantrel-cli: cannot read the targets file '%s'\n",
                   options.targets_file.c_str());
      return kFailed;
    }
    arguments.insert(arguments.end(), listed->begin(), listed->end());
  }
  if (arguments.empty()) {
    std::fprintf(stderr, "vantrel-cli: no targets: name them as arguments or with --targets\n");
    return kFailed;
  }
  DataSource reference;
  std::unique_ptr<dataaccess::DataConnection> connection;
  try {
    reference = SourceFromArgument(options.reference);
    connection = dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
        reference.database_name, dataaccess::kPromptCompleteRequired, true,
        reference.connect_string, OpenOptionsFor(WalkOptionsOf(options).compared));
  } catch (const component::Error& error) {
    std::fprintf(
        stderr, "vantrel-cli: cannot open the reference database '%s': %s (error %d)\n",
        Utf8(VisibleText(dataaccess::MaskPasswords(QString::fromLocal8Bit(options.reference))))
            .constData(),
        Utf8(VisibleText(error.description())).constData(), error.number());
    return kFailed;
  }
  std::vector<DataSource> targets;
  QStringList inputs = {FileOfConnectString(reference.connect_string)};
  try {
    for (const std::string& argument : arguments) {
      targets.push_back(TargetSource(argument));
      inputs.append(FileOfConnectString(targets.back().connect_string));
    }
  } catch (const component::Error& error) {
    std::fprintf(stderr, "vantrel-cli: %s (error %d)\n",
                 Utf8(VisibleText(error.description())).constData(), error.number());
    return kFailed;
  }
  if (!options.targets_file.empty() && options.targets_file != "-") {
    inputs.append(QString::fromLocal8Bit(options.targets_file));
  }
  inputs.removeAll(QString());

  FleetOptions fleet;
  fleet.walk = WalkOptionsOf(options);
  fleet.jobs = options.jobs > 0 ? options.jobs : QThread::idealThreadCount();
  std::unique_ptr<TerminalLine> line;
  if (isatty(STDERR_FILENO)) {
    line = std::make_unique<TerminalLine>(stderr);
    fleet.progress = [&line](size_t finished, size_t known) {
      line->Show(QStringLiteral("Checked %1 of %2 targets").arg(Number(finished), Number(known)));
    };
  }
  const std::vector<FleetResult> results =
      RunFleetCheck(*connection, reference.display_name, targets, fleet);
  line.reset();

  const bool json = options.format == "json";
  if (json) {
    const QByteArray document = Document(reference.display_name, results);
    std::fwrite(document.constData(), 1, static_cast<size_t>(document.size()), stdout);
  } else {
    PrintLines(results);
  }
  std::fflush(stdout);
  bool failed = false;
  bool differ = false;
  for (const FleetResult& result : results) {
    failed |= result.status == FleetResult::Status::kFailed;
    differ |= result.status == FleetResult::Status::kDiffers;
  }
  if (!options.reports.empty() && !WriteReports(QString::fromLocal8Bit(options.reports), json,
                                                reference.display_name, results, inputs)) {
    return kFailed;
  }
  return failed ? kFailed : differ ? kDifferencesFound : kNoDifferences;
}

}  // namespace

void AddCheckCommand(CLI::App& app, std::function<int()>* run) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App* check = app.add_subcommand(
      "check", "Compare many databases with one reference and say which differ, and how");
  check->footer(kCheckFooter);
  check
      ->add_option("--targets", options->targets_file,
                   "Read more targets from FILE, one a line ('-': standard input)")
      ->type_name("FILE");
  check
      ->add_option("--reports", options->reports,
                   "Write each differing target's full report to a file in DIR")
      ->type_name("DIR");
  check
      ->add_option("--jobs,-j", options->jobs,
                   "Read N targets at a time (default: the number of processors)")
      ->type_name("N")
      ->check(CLI::PositiveNumber);
  AddReportOptions(*check, *options);
  check
      ->add_option("REFERENCE", options->reference,
                   "The data source or database all are "
                   "compared with")
      ->required();
  check->add_option("TARGET", options->targets, "A data source or database to check");
  check->callback([run, options] { *run = [options] { return RunCheck(*options); }; });
}

}  // namespace vantrel::cli
