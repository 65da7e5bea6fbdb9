#include "vantrel/cli/check_command.h"

#include "vantrel/cli/input_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/data_objects.h"
#include "dataaccess/schema_set.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/progress_line.h"
#include "vantrel/cli/report_options.h"
#include "vantrel/cli/source_argument.h"
#include "vantrel/cli/standard_output.h"
#include "vantrel/core/fleet_check.h"
#include "vantrel/core/html_report.h"
#include "vantrel/core/json_report.h"
#include "vantrel/core/output_file.h"
#include "vantrel/core/report_recognition.h"
#include "vantrel/core/report_text.h"
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
    "database, the file name of a file (with as many of its folders as tell it apart from\n"
    "another target's file of the same name: dev1/app.db, dev2/app.db), and otherwise the\n"
    "target as given (passwords masked).\n"
    "\n"
    "--include, --exclude and --ignore shape every target's report as they shape compare's.\n"
    "--reports DIR writes the full report of each differing target to DIR/NAME.txt (NAME.json\n"
    "with --format json, NAME.html beside NAME.txt with --format html; characters other than\n"
    "letters, digits, '.', '_' and '-' written '_', a number added where two names meet, a\n"
    "name is one of the inputs, or a name is taken by anything but an earlier report: a link,\n"
    "a folder or another file there is left as it is, and said on standard error). A report\n"
    "is written whole or not at all. --format json prints one document instead of the lines:\n"
    "\"reference\", \"targets\" (each with its \"name\", \"status\" identical, differs or failed,\n"
    "its \"differences\" as compare's document gives them, or its \"error\") and a \"summary\" of\n"
    "the counts. --format html prints one page: each target's status and, where it differs,\n"
    "its differences as compare's page shows them.\n"
    "\n"
    "Exit status:\n"
    "  0  every target is identical to the reference\n"
    "  1  some targets differ, and every target could be compared\n"
    "  2  some target could not be compared (the others are still checked and reported), a\n"
    "     pattern matched nothing, the reference could not be opened, the command line is\n"
    "     wrong, or the output or a report could not be written\n"
    "\n"
    "When standard error is a terminal, the number of targets checked is shown there.";

struct CheckOptions : ReportOptions {
  std::string reference;
  std::vector<std::string> targets;
  std::string targets_file;
  std::optional<std::string> reports;  // empty when --reports was not given
  std::optional<std::string> jobs;
};

// More workers than this only wait on each other and the servers.
constexpr int kMostJobs = 256;

// The number of targets read at a time: --jobs, or the number of processors; nullopt when
// --jobs is not a whole number from 1 to kMostJobs.
std::optional<int> JobsOf(const std::optional<std::string>& text) {
  if (!text) return std::max(1, QThread::idealThreadCount());
  static const QRegularExpression digits(QStringLiteral("^[0-9]{1,4}$"));
  const QString value = QString::fromLocal8Bit(*text);
  if (!digits.match(value).hasMatch()) return std::nullopt;
  const int jobs = value.toInt();
  if (jobs < 1 || jobs > kMostJobs) return std::nullopt;
  return jobs;
}

QByteArray Utf8(const QString& text) { return text.toUtf8(); }

QString Number(size_t n) {
  return QLocale(QLocale::English, QLocale::UnitedStates).toString(static_cast<qulonglong>(n));
}

// The targets of --targets FILE, '-' for standard input; nullopt, after saying why on standard
// error, when it cannot be read or a line holds a NUL byte (no file name can, and the name
// opened would be only the part before it).
std::optional<std::vector<std::string>> TargetsOfFile(const std::string& path) {
  const QString shown = VisibleText(dataaccess::NameFromBytes(QByteArrayView(path)));
  QFile file;
  if (path == "-") {
    file.open(stdin, QIODevice::ReadOnly);
  } else {
    // Opened by its own bytes, whatever they are.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
      std::fprintf(stderr, "vantrel-cli: cannot read the targets file '%s': %s\n",
                   Utf8(shown).constData(), std::strerror(fd < 0 ? errno : EIO));
      if (fd >= 0) ::close(fd);
      return std::nullopt;
    }
  }
  std::vector<std::string> targets;
  for (int number = 1; !file.atEnd(); ++number) {
    const QByteArray line = file.readLine().trimmed();
    if (line.contains('\0')) {
      std::fprintf(stderr, "vantrel-cli: line %d of the targets file '%s' holds a NUL byte\n",
                   number, Utf8(shown).constData());
      return std::nullopt;
    }
    if (line.isEmpty() || line.startsWith('#')) continue;
    targets.push_back(line.toStdString());
  }
  if (file.error() != QFileDevice::NoError) {
    std::fprintf(stderr, "vantrel-cli: cannot read the targets file '%s': %s\n",
                 Utf8(shown).constData(), Utf8(file.errorString()).constData());
    return std::nullopt;
  }
  return targets;
}

// A target's data source, shown under its file name when it is a file.
DataSource TargetSource(const std::string& argument) {
  DataSource source = SourceFromArgument(argument);
  if (ProgramDataSources().IsListed(dataaccess::NameFromBytes(QByteArrayView(argument))))
    return source;
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
  WriteStandardOutput(bytes);
}

JsonReport JsonOf(const FleetResult& result) {
  JsonReport json;
  for (const Difference& difference : result.differences) json.Found(difference);
  return json;
}

// Targets named by their files that share a file name with another file are named by the
// shortest end of their paths that tells them apart ("dev1/app.db", "dev2/app.db").
void NameFilesApart(std::vector<DataSource>& targets, const std::vector<QString>& files) {
  std::vector<QStringList> parts(targets.size());
  for (size_t i = 0; i < targets.size(); ++i) {
    if (files[i].isEmpty()) continue;
    // By the text alone: a name that is not UTF-8 keeps its bytes.
    const QString& file = files[i];
    parts[i] =
        QDir::cleanPath(QDir::isAbsolutePath(file) ? file : QDir::currentPath() + u'/' + file)
            .split(u'/');
  }
  const auto tail = [&parts](size_t i, qsizetype n) {
    return parts[i].mid(std::max<qsizetype>(0, parts[i].size() - n)).join(u'/');
  };
  for (size_t i = 0; i < targets.size(); ++i) {
    if (parts[i].isEmpty()) continue;
    const auto shares = [&](qsizetype n) {
      for (size_t j = 0; j < targets.size(); ++j) {
        if (j == i || parts[j].isEmpty() || parts[j] == parts[i]) continue;
        if (tail(j, n) == tail(i, n)) return true;
      }
      return false;
    };
    if (!shares(1)) continue;
    qsizetype n = 2;
    while (n < parts[i].size() && shares(n)) ++n;
    targets[i].display_name = tail(i, n);
  }
}

// "; not compared: ..." for a target line, when something was not compared.
QString NotComparedSuffix(const FleetResult& result) {
  QStringList gaps;
  for (const NotCompared& gap : result.not_compared) {
    if (gap.across_engines) {
      gaps.append(WordsOf(gap.what) + QStringLiteral(" (other engine)"));
      continue;
    }
    gaps.append(WordsOf(gap.what) + (gap.side == Side::kPrimary ? QStringLiteral(" (the reference)")
                                                                : QStringLiteral(" (the target)")));
  }
  return gaps.isEmpty() ? QString() : "; not compared: " + gaps.join(QStringLiteral(", "));
}

// Targets that drift alike: the first one's result, and every one's name.
struct DriftGroup {
  const FleetResult* first;
  QStringList names;
};

// Whether two targets differ from the reference the same way: the same differences, in the same
// order, found from the same sides. `with_values`, also with the same values, which risk and
// detail lines show.
bool SameDrifts(const FleetResult& a, const FleetResult& b, bool with_values) {
  return std::equal(a.differences.begin(), a.differences.end(), b.differences.begin(),
                    b.differences.end(), [with_values](const Difference& x, const Difference& y) {
                      return SameDrift(x, y, with_values);
                    });
}

// The text lines: one per target, the groups, the counts. A group's report is what its targets
// share, each target's database named "<target>".
void PrintLines(const std::vector<FleetResult>& results, const QString& reference_name,
                const WalkOptions& walk) {
  size_t identical = 0;
  size_t differ = 0;
  size_t failed = 0;
  // In the order first seen.
  std::vector<DriftGroup> groups;
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
        const auto group = std::find_if(groups.begin(), groups.end(), [&](const DriftGroup& g) {
          return SameDrifts(*g.first, result, walk.explain || walk.details);
        });
        if (group == groups.end()) {
          groups.push_back({&result, {name}});
        } else {
          group->names.append(name);
        }
        break;
      }
      case FleetResult::Status::kFailed:
        ++failed;
        Print(name + QStringLiteral(": cannot be compared: ") + VisibleText(result.failure) +
              u'\n');
        break;
    }
  }
  std::stable_sort(groups.begin(), groups.end(), [](const DriftGroup& a, const DriftGroup& b) {
    return a.names.size() > b.names.size();
  });
  const QString target = QStringLiteral("<target>");
  for (const DriftGroup& group : groups) {
    const size_t count = static_cast<size_t>(group.names.size());
    Print(count == 1
              ? QStringLiteral("\n1 target differs this way: %1\n\n").arg(group.names.first())
              : QStringLiteral("\n%1 targets differ the same way: %2\n\n")
                    .arg(Number(count), group.names.join(QStringLiteral(", "))));
    QString text =
        ReportOf(group.first->differences, reference_name, group.first->reference_qualified_name,
                 target, target, walk.explain, walk.details);
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

// The page of a target's comparison with the reference.
HtmlComparison HtmlOf(const QString& reference_name, const FleetResult& result) {
  HtmlComparison page;
  page.primary_name = reference_name;
  page.secondary_name = result.name;
  page.groups = GroupDifferences(result.differences, reference_name, result.name);
  page.not_compared = result.not_compared;
  page.status = QString::fromLatin1(StatusName(result.status));
  page.failure = result.failure;
  return page;
}

// A report of a target as a file: its name's ending and its content.
struct ReportFile {
  QString suffix;
  QByteArray content;
};

// The files --reports writes for a differing target: the text, the JSON instead with
// --format json, the page beside the text with --format html.
std::vector<ReportFile> ReportFilesOf(const std::string& format, const QString& reference_name,
                                      const FleetResult& result) {
  std::vector<ReportFile> files;
  if (format == "json") {
    files.push_back(
        {QStringLiteral(".json"), JsonOf(result).Document(reference_name, result.name)});
    return files;
  }
  files.push_back({QStringLiteral(".txt"), Utf8(WithLineFeeds(result.report))});
  if (format == "html") {
    files.push_back({QStringLiteral(".html"), HtmlReport(HtmlOf(reference_name, result))});
  }
  return files;
}

// Writes `file` of the target `name` into `folder` under the first name free of `used`, the
// inputs and what is not an earlier report; false (after saying why) on failure.
bool WriteReport(const QString& folder, const QString& name, const ReportFile& report,
                 const QStringList& inputs, QSet<QString>& used) {
  const QString base = SafeFileName(name);
  QString path;
  try {
    std::unique_ptr<OutputFile> file;
    QStringList left_alone;
    for (int n = 1;; ++n) {
      path = QDir(folder).filePath(base + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) +
                                   report.suffix);
      const bool is_input = std::any_of(inputs.begin(), inputs.end(), [&](const QString& input) {
        return WouldReplace(path, input);
      });
      if (used.contains(path) || is_input) continue;
      if (StateOf(path, IsComparisonReport) == PathState::kTaken) {
        left_alone.append(QStringLiteral("'%1' (%2)").arg(VisibleText(path), WhyTaken(path)));
        continue;
      }
      if (!file) {
        file = std::make_unique<OutputFile>(path);
        file->Device().write(report.content);
      }
      file->Retarget(path);
      if (file->Commit(IsComparisonReport)) break;
    }
    for (const QString& left : left_alone) {
      std::fprintf(stderr, "vantrel-cli: left %s as it is; the report is '%s'\n",
                   Utf8(left).constData(), Utf8(VisibleText(path)).constData());
    }
  } catch (const component::Error& error) {
    std::fprintf(stderr, "vantrel-cli: a report failed: %s (error %d)\n",
                 Utf8(VisibleText(error.description())).constData(), error.number());
    return false;
  }
  used.insert(path);
  return true;
}

// Writes each differing target's reports into `folder`; false (after saying why) on failure.
// A name taken by anything but an earlier report (a link, a folder, another file) is left as it
// is, said on standard error, and the report takes the next free name.
bool WriteReports(const QString& folder, const std::string& format, const QString& reference_name,
                  const std::vector<FleetResult>& results, const QStringList& inputs) {
  if (!QDir().mkpath(folder)) {
    std::fprintf(stderr, "vantrel-cli: cannot create the folder '%s'\n",
                 Utf8(VisibleText(folder)).constData());
    return false;
  }
  QSet<QString> used;
  for (const FleetResult& result : results) {
    if (result.status != FleetResult::Status::kDiffers) continue;
    for (const ReportFile& report : ReportFilesOf(format, reference_name, result)) {
      if (!WriteReport(folder, result.name, report, inputs, used)) return false;
    }
  }
  return true;
}

int RunCheck(const CheckOptions& options) {
  const std::optional<int> jobs = JobsOf(options.jobs);
  if (!jobs) {
    std::fprintf(stderr, "vantrel-cli: --jobs takes a whole number from 1 to %d, not '%s'\n",
                 kMostJobs, Utf8(VisibleText(QString::fromLocal8Bit(*options.jobs))).constData());
    return kFailed;
  }
  if (options.reports && options.reports->empty()) {
    std::fprintf(stderr, "vantrel-cli: --reports names no folder (an empty DIR)\n");
    return kFailed;
  }
  std::vector<std::string> arguments = options.targets;
  if (!options.targets_file.empty()) {
    const auto listed = TargetsOfFile(options.targets_file);
    if (!listed) return kFailed;
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
    std::fprintf(stderr, "vantrel-cli: cannot open the reference database '%s': %s (error %d)\n",
                 Utf8(VisibleText(dataaccess::MaskPasswords(
                          dataaccess::NameFromBytes(QByteArrayView(options.reference)))))
                     .constData(),
                 Utf8(VisibleText(error.description())).constData(), error.number());
    return kFailed;
  }
  std::vector<DataSource> targets;
  std::vector<QString> named_by_file;
  QStringList inputs = {FileOfConnectString(reference.connect_string)};
  try {
    for (const std::string& argument : arguments) {
      targets.push_back(TargetSource(argument));
      inputs.append(FileOfConnectString(targets.back().connect_string));
      named_by_file.push_back(
          ProgramDataSources().IsListed(dataaccess::NameFromBytes(QByteArrayView(argument)))
              ? QString()
              : inputs.back());
    }
    NameFilesApart(targets, named_by_file);
  } catch (const component::Error& error) {
    std::fprintf(stderr, "vantrel-cli: %s (error %d)\n",
                 Utf8(VisibleText(error.description())).constData(), error.number());
    return kFailed;
  }
  if (!options.targets_file.empty() && options.targets_file != "-") {
    inputs.append(dataaccess::NameFromBytes(QByteArrayView(options.targets_file)));
  }
  inputs.removeAll(QString());

  FleetOptions fleet;
  fleet.walk = WalkOptionsOf(options);
  fleet.jobs = *jobs;
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

  if (options.format == "json") {
    const QByteArray document = Document(reference.display_name, results);
    WriteStandardOutput(document);
  } else if (options.format == "html") {
    std::vector<HtmlComparison> pages;
    pages.reserve(results.size());
    for (const FleetResult& result : results)
      pages.push_back(HtmlOf(reference.display_name, result));
    WriteStandardOutput(HtmlCheckReport(reference.display_name, pages));
  } else {
    PrintLines(results, reference.display_name, WalkOptionsOf(options));
  }
  FlushStandardOutput();
  bool failed = false;
  bool differ = false;
  for (const FleetResult& result : results) {
    failed |= result.status == FleetResult::Status::kFailed;
    differ |= result.status == FleetResult::Status::kDiffers;
  }
  if (options.reports && !WriteReports(dataaccess::NameFromBytes(QByteArrayView(*options.reports)),
                                       options.format, reference.display_name, results, inputs)) {
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
      ->add_option_function<std::string>(
          "--reports", [options](const std::string& dir) { options->reports = dir; },
          "Write each differing target's full report to a file in DIR")
      ->type_name("DIR");
  check
      ->add_option_function<std::string>(
          "--jobs,-j", [options](const std::string& jobs) { options->jobs = jobs; },
          "Read N targets at a time (default: the number of processors)")
      ->type_name("N");
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
