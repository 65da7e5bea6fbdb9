#include "vantrel/cli/source_argument.h"

#include <sys/stat.h>

#include <QStringDecoder>

#include "dataaccess/connect_string_mask.h"
#include "platform/component/error.h"

namespace vantrel::cli {
namespace {

// `bytes` with every byte outside printable ASCII written "\xNN": what a name that is not UTF-8
// holds, shown so that the user can find the file.
QString EscapedBytes(const std::string& bytes) {
  QString shown;
  for (const unsigned char byte : bytes) {
    shown += byte >= 0x20 && byte < 0x7F
                 ? QString(QChar(byte))
                 : QStringLiteral("\\x%1").arg(static_cast<int>(byte), 2, 16, QLatin1Char('0'));
  }
  return shown;
}

// Qt reads every path as UTF-8 and turns other bytes into U+FFFD, so that a file whose name is
// not UTF-8 cannot be reached by it: say so, rather than that the file is not there.
void RefuseNamesNotUtf8(const std::string& argument) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString decoded = utf8(QByteArray::fromStdString(argument));
  if (!utf8.hasError()) return;
  struct stat info {};
  if (::stat(argument.c_str(), &info) != 0) return;  // not a file: a connect string fails alone
  throw component::Error(component::kPathFileAccessError, QStringLiteral("vantrel-cli"),
                         QStringLiteral("the file name '%1' is not UTF-8, which Vantrel cannot "
                                        "open: give it through a link or copy with a UTF-8 name")
                             .arg(EscapedBytes(argument)));
}

}  // namespace

DataSource SourceFromArgument(const std::string& argument, const std::string& display_name) {
  RefuseNamesNotUtf8(argument);
  const QString text = QString::fromLocal8Bit(argument);
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
