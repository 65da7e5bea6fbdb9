#include "vantrel/cli/source_argument.h"

#include "dataaccess/connect_string_mask.h"
#include "dataaccess/data_objects.h"
#include "platform/component/error.h"

namespace vantrel::cli {
DataSource SourceFromArgument(const std::string& argument, const std::string& display_name) {
  // A file's name as its bytes are, UTF-8 or not (NameToBytes opens it again).
  const QString text = dataaccess::NameFromBytes(QByteArrayView(argument));
  DataSourceStore& store = ProgramDataSources();
  bool listed = false;
  try {
    listed = store.IsListed(text);
  } catch (const component::Error& error) {
    // A stored name would win over a path of the same spelling, so without the list it is not
    // known which of the two the argument means.
    throw component::Error(error.number(), error.source(),
                           QStringLiteral("the stored data sources could not be read to see "
                                          "whether it is one of them: %1")
                               .arg(error.description()));
  }
  if (listed) {
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
