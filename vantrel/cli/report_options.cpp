#include "vantrel/cli/report_options.h"

#include <map>

#include "dataaccess/data_objects.h"
#include "vantrel/core/comparison_vocabulary.h"

namespace vantrel::cli {
namespace {

// The report's properties by the names --ignore takes.
const std::map<std::string, int>& IgnorableProperties() {
  static const std::map<std::string, int> names = [] {
    std::map<std::string, int> result;
    for (const IgnoreName& name : IgnoreNames()) result.emplace(name.name, name.bit);
    return result;
  }();
  return names;
}

// What --objects takes, as ComparedKind bits.
const std::map<std::string, int>& ObjectChoices() {
  static const std::map<std::string, int> names = [] {
    std::map<std::string, int> result{{"all", kCompareAll}};
    for (const ComparedKindWords& kind : ComparedKinds()) result.emplace(kind.option, kind.kind);
    return result;
  }();
  return names;
}

}  // namespace

void AddSelectionOptions(CLI::App& command, ReportOptions& options, const char* objects_default) {
  std::vector<std::string> object_names;
  for (const auto& [name, bit] : ObjectChoices()) object_names.push_back(name);
  command
      .add_option("--objects", options.objects,
                  std::string("What to compare of the tables found on both sides (default: ") +
                      objects_default + ")")
      ->type_name("LIST")
      ->delimiter(',')
      ->allow_extra_args(false)
      ->check(CLI::IsMember(object_names));
  // Each repeated option takes one value, so that the databases after it stay arguments.
  command.add_option("--include", options.include, "Compare only the tables matching GLOB")
      ->type_name("GLOB")
      ->allow_extra_args(false);
  command.add_option("--exclude", options.exclude, "Leave out the tables matching GLOB")
      ->type_name("GLOB")
      ->allow_extra_args(false);
  std::vector<std::string> property_names;
  for (const auto& [name, bit] : IgnorableProperties()) property_names.push_back(name);
  command.add_option("--ignore", options.ignore, "Never report PROPERTY as differing")
      ->type_name("PROPERTY")
      ->allow_extra_args(false)
      ->check(CLI::IsMember(property_names));
}

void AddReportOptions(CLI::App& command, ReportOptions& options) {
  AddSelectionOptions(command, options);
  command.add_flag("--compare-names", options.compare_names,
                   "Also report keys, indexes, foreign keys and checks that differ only in name");
  command.add_flag("--explain", options.explain,
                   "Follow each paragraph with a line saying what moving the secondary's data to "
                   "the primary's definition risks");
  command.add_flag("--details", options.details,
                   "Follow each paragraph with one line per property that differs: its value on "
                   "the primary, then on the secondary");
  command
      .add_option("--format", options.format,
                  "text (the report as the window shows it), json (one document, see below) "
                  "or html (one page for a browser, see below)")
      ->check(CLI::IsMember({"text", "json", "html"}));
}

WalkOptions WalkOptionsOf(const ReportOptions& options) {
  WalkOptions walk;
  // A pattern is the argument's bytes, so that a name's bytes that are not UTF-8 can be typed.
  for (const std::string& glob : options.include) {
    walk.include.append(dataaccess::NameFromBytes(QByteArrayView(glob)));
  }
  for (const std::string& glob : options.exclude) {
    walk.exclude.append(dataaccess::NameFromBytes(QByteArrayView(glob)));
  }
  for (const std::string& name : options.ignore) {
    walk.ignored_properties |= IgnorableProperties().at(name);
  }
  if (!options.objects.empty()) {
    walk.compared = 0;
    for (const std::string& name : options.objects) walk.compared |= ObjectChoices().at(name);
  }
  walk.compare_names = options.compare_names;
  walk.explain = options.explain;
  walk.details = options.details;
  return walk;
}

}  // namespace vantrel::cli
