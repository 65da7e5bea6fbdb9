#include "vantrel/cli/sources_command.h"

#include <cstdio>
#include <memory>
#include <string>

#include "dataaccess/connect_string_mask.h"
#include "platform/component/error.h"
#include "vantrel/cli/compare_command.h"
#include "vantrel/cli/standard_output.h"
#include "vantrel/core/data_source_store.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::cli {
namespace {

struct SourcesOptions {
  std::string name;
  std::string connect_string;
  std::string database_name;
};

void PrintLine(const QString& text) { WriteStandardOutput((text + u'\n').toUtf8()); }

int Failed(const QString& what, const component::Error& error) {
  std::fprintf(stderr, "vantrel-cli: %s: %s (error %d)\n", VisibleText(what).toUtf8().constData(),
               VisibleText(error.description()).toUtf8().constData(), error.number());
  return kFailed;
}

int List() {
  try {
    // Held by name: in a range-for over "*GetDataSourceNames()" the owning pointer is a temporary
    // that is gone before the loop reads the collection.
    const std::unique_ptr<corbenna::TextCollection> names =
        ProgramDataSources().GetDataSourceNames();
    for (const QString& name : *names) PrintLine(name);
    return kNoDifferences;
  } catch (const component::Error& error) {
    return Failed(QStringLiteral("cannot read the data sources"), error);
  }
}

int Add(const SourcesOptions& options) {
  const QString name = QString::fromLocal8Bit(options.name);
  try {
    ProgramDataSources().AddDataSource(name, QString::fromLocal8Bit(options.connect_string),
                                       QString::fromLocal8Bit(options.database_name));
    return kNoDifferences;
  } catch (const component::Error& error) {
    // A refused name is named in the error's own description.
    if (error.number() == kBadDataSourceName) {
      return Failed(QStringLiteral("cannot add the data source"), error);
    }
    return Failed(QStringLiteral("cannot add the data source '%1'").arg(name), error);
  }
}

int Delete(const SourcesOptions& options) {
  const QString name = QString::fromLocal8Bit(options.name);
  try {
    ProgramDataSources().RemoveDataSource(name);
    return kNoDifferences;
  } catch (const component::Error& error) {
    return Failed(QStringLiteral("cannot delete the data source '%1'; the store was left as it was")
                      .arg(name),
                  error);
  }
}

int Show(const SourcesOptions& options) {
  const QString name = QString::fromLocal8Bit(options.name);
  try {
    DataSourceStore& store = ProgramDataSources();
    if (!store.IsListed(name)) {
      std::fprintf(stderr, "vantrel-cli: there is no data source '%s'\n",
                   VisibleText(name).toUtf8().constData());
      return kFailed;
    }
    PrintLine(QStringLiteral("Display name:      ") + VisibleText(name));
    PrintLine(QStringLiteral("Connection string: ") +
              dataaccess::MaskPasswords(store.ReadConnectionString(name)));
    PrintLine(QStringLiteral("Database name:     ") + store.ReadDatabaseName(name));
    return kNoDifferences;
  } catch (const component::Error& error) {
    return Failed(QStringLiteral("cannot read the data source '%1'").arg(name), error);
  }
}

}  // namespace

void AddSourcesCommand(CLI::App& app, std::function<int()>* run) {
  auto options = std::make_shared<SourcesOptions>();
  CLI::App* sources = app.add_subcommand(
      "sources", "List, add, delete and show the stored data sources (those of the window)");
  sources->require_subcommand(1);
  sources->footer(
      "The data sources are kept per user in $XDG_CONFIG_HOME/vantrel/registry.json (or\n"
      "~/.config/vantrel/). Names are listed in the order they were added. A name that differs\n"
      "from a listed one only in letter case is the same data source: adding it replaces that\n"
      "one, in its place. A name cannot be empty, contain a comma, a control character or a\n"
      "line break, start or end with white space, or contain bytes that are not UTF-8.\n"
      "Deleting a data source removes its stored values too.");

  sources->add_subcommand("list", "Print the display names, one a line, in stored order")
      ->callback([run] { *run = List; });

  CLI::App* add = sources->add_subcommand("add", "Add a data source");
  add->add_option("NAME", options->name, "Display name")->required();
  add->add_option("CONNECT-STRING", options->connect_string,
                  "How to reach the database (see 'compare --help'), stored as typed")
      ->required();
  add->add_option("DATABASE-NAME", options->database_name,
                  "The database on a server, overriding the connect string's");
  add->callback([run, options] { *run = [options] { return Add(*options); }; });

  CLI::App* remove = sources->add_subcommand(
      "delete", "Delete every listed data source of that name, ignoring letter case");
  remove->add_option("NAME", options->name, "Display name")->required();
  remove->callback([run, options] { *run = [options] { return Delete(*options); }; });

  CLI::App* show = sources->add_subcommand("show", "Print a data source, its password masked");
  show->add_option("NAME", options->name, "Display name")->required();
  show->callback([run, options] { *run = [options] { return Show(*options); }; });
}

}  // namespace vantrel::cli
