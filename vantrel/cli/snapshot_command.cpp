#include "vantrel/cli/snapshot_command.h"

#include "vantrel/cli/input_files.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <memory>
#include <string>

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_engine.h"
#include "dataaccess/data_objects.h"
#include "dataaccess/snapshot.h"
#include "platform/component/error.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/source_argument.h"
#include "vantrel/cli/standard_output.h"
#include "vantrel/core/output_file.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::cli {
namespace {

constexpr char kSnapshotFooter[] =
    "DATABASE is a stored data source or a database, as 'compare --help' lists them.\n"
    "\n"
    "The snapshot holds every table and view with its columns: each column's name, its type\n"
    "as the engine spells it, and the properties the report compares; the objects the\n"
    "database could tell (keys, indexes, foreign keys, checks, defaults, collations, generated\n"
    "columns, views' queries, triggers, rules, sequences), and which kinds it could tell.\n"
    "Nothing else of the database (no rows) is kept. It is a JSON file of one column a line, made "
    "to be kept in\n"
    "version control; its format is versioned and described in the manual page.\n"
    "\n"
    "A snapshot is then a database like any other: 'vantrel-cli compare live.db\n"
    "schema.json' compares a database with the snapshot (the path alone is enough, or\n"
    "snapshot:PATH), and so do the stored data sources and the window.\n"
    "\n"
    "The file is replaced only once the whole snapshot is written; on failure an existing\n"
    "file is left as it was. An existing FILE is replaced only when it is an empty file or\n"
    "a snapshot; a link, a folder or any other file is left as it is. A FILE that is the database "
    "itself, or one of the files SQLite\n"
    "keeps beside it (-wal, -shm, -journal), by any name or link, is refused.\n"
    "\n"
    "Exit status:\n"
    "  0  the snapshot was written\n"
    "  2  error: the database could not be read, or the file could not be written";

struct SnapshotOptions {
  std::string database;
  std::string output;
};

int Failed(const char* what, const QString& about, const component::Error& error) {
  std::fprintf(stderr, "vantrel-cli: %s '%s': %s (error %d)\n", what,
               VisibleText(about).toUtf8().constData(),
               VisibleText(error.description()).toUtf8().constData(), error.number());
  return kFailed;
}

// True when `start` begins a snapshot: an older snapshot is replaced, nothing else is.
bool IsSnapshotText(const QByteArray& start, const QByteArray& /*tail*/) {
  static const QRegularExpression marker(
      QStringLiteral("^\\s*\\{[^\\0]*\"format\"\\s*:\\s*\"vantrel-snapshot\""));
  return marker.match(QString::fromUtf8(start)).hasMatch();
}

int RunSnapshot(const SnapshotOptions& options) {
  const QString shown =
      dataaccess::MaskPasswords(dataaccess::NameFromBytes(QByteArrayView(options.database)));
  std::unique_ptr<dataaccess::DataConnection> connection;
  try {
    const DataSource source = SourceFromArgument(options.database);
    connection = dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
        source.database_name, dataaccess::kPromptCompleteRequired, true, source.connect_string,
        dataaccess::kReadEveryObject);
  } catch (const component::Error& error) {
    return Failed("cannot open the database", shown, error);
  }
  const bool to_stdout = options.output.empty() || options.output == "-";
  const QString output = dataaccess::NameFromBytes(QByteArrayView(options.output));
  const QString database_file = FileOfConnectString(connection->ConnectString());
  if (!to_stdout && !database_file.isEmpty() && WouldReplace(output, database_file)) {
    std::fprintf(stderr,
                 "vantrel-cli: will not write the snapshot to '%s': it is the database '%s' or "
                 "one of its files\n",
                 VisibleText(output).toUtf8().constData(),
                 VisibleText(database_file).toUtf8().constData());
    return kFailed;
  }
  try {
    if (to_stdout) {
      // What fails to reach standard output is said when the program ends.
      dataaccess::WriteSnapshot(*connection, *StandardOutputDevice());
    } else {
      const auto taken = [&output] {
        return Failed("will not write the snapshot to", output,
                      component::Error(
                          component::kPathFileAccessError, QStringLiteral("vantrel-cli"),
                          WhyTaken(output) + QStringLiteral("; remove it or name another file")));
      };
      if (StateOf(output, IsSnapshotText) == PathState::kTaken) return taken();
      // Written beside the target and moved over it at the end: a snapshot kept in version
      // control is never left half written, and a failed write leaves the old one.
      OutputFile out(output);
      dataaccess::WriteSnapshot(*connection, out.Device());
      if (!out.Commit(IsSnapshotText)) return taken();
    }
  } catch (const component::Error& error) {
    return Failed("cannot take a snapshot of", shown, error);
  }
  connection->Close();
  return kNoDifferences;
}

}  // namespace

void AddSnapshotCommand(CLI::App& app, std::function<int()>* run) {
  auto options = std::make_shared<SnapshotOptions>();
  CLI::App* snapshot =
      app.add_subcommand("snapshot", "Write a database's tables and columns to a snapshot file");
  snapshot->footer(kSnapshotFooter);
  snapshot->add_option("DATABASE", options->database, "The data source or database")->required();
  snapshot->add_option("-o,--output", options->output, "Write to FILE instead of standard output")
      ->type_name("FILE");
  snapshot->callback([run, options] { *run = [options] { return RunSnapshot(*options); }; });
}

}  // namespace vantrel::cli
