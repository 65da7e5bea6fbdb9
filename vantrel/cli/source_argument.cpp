#include "vantrel/cli/source_argument.h"

#include "dataaccess/connect_string_mask.h"

namespace vantrel::cli {

DataSource SourceFromArgument(const std::string& argument, const std::string& display_name) {
  const QString text = QString::fromLocal8Bit(argument);
  DataSourceStore& store = ProgramDataSources();
  if (store.IsListed(text)) {
    DataSource source = store.Lookup(text);
    if (!display_name.empty()) source.display_name = QString::fromLocal8Bit(display_name);
    return source;
  }
  DataSource source;
  source.display_name =
      display_name.empty() ? dataaccess::MaskPasswords(text) : QString::fromLocal8Bit(display_name);
  source.connect_string = text;
  return source;
}

}  // namespace vantrel::cli
