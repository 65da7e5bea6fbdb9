#include "vantrel/cli/report_options.h"

#include <map>

#include "dataaccess/data_objects.h"

namespace vantrel::cli {
namespace {

// The report's properties by the names --ignore takes.
const std::map<std::string, int>& IgnorableProperties() {
  static const std::map<std::string, int> names = {
      {"allow-zero-length", kAllowZeroLengthProperty},
      {"attributes", kAttributesProperty},
      {"ordinal-position", kOrdinalPositionProperty},
      {"required", kRequiredProperty},
      {"size", kSizeProperty},
      {"data-type", kDataTypeProperty},
  };
  return names;
}

}  // namespace

void AddReportOptions(CLI::App& command, ReportOptions& options) {
  command.add_option("--include", options.include, "Compare only the tables matching GLOB")
      ->type_name("GLOB");
  command.add_option("--exclude", options.exclude, "Leave out the tables matching GLOB")
      ->type_name("GLOB");
  std::vector<std::string> property_names;
  for (const auto& [name, bit] : IgnorableProperties()) property_names.push_back(name);
  command.add_option("--ignore", options.ignore, "Never report PROPERTY as differing")
      ->type_name("PROPERTY")
      ->check(CLI::IsMember(property_names));
  command
      .add_option("--format", options.format,
                  "text (the report as the window shows it) or json (one document, see "
                  "below)")
      ->check(CLI::IsMember({"text", "json"}));
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
  return walk;
}

}  // namespace vantrel::cli
