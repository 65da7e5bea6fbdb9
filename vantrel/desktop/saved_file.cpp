#include "vantrel/desktop/saved_file.h"

#include <QCoreApplication>

#include "platform/component/error.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::desktop {
namespace {

QString Taken(const QString& path) {
  return QCoreApplication::translate("SavedFile", "'%1' is left as it is (%2); choose another name")
      .arg(VisibleText(path), WhyTaken(path));
}

}  // namespace

QString SaveChecked(const QString& path, const QByteArray& content,
                    const WrittenByVantrel& earlier) {
  if (StateOf(path, earlier) == PathState::kTaken) return Taken(path);
  try {
    OutputFile file(path);
    file.Device().write(content);
    // Something may have come to stand at the name meanwhile.
    if (!file.Commit(earlier)) return Taken(path);
  } catch (const component::Error& error) {
    return VisibleText(error.description());
  }
  return QString();
}

}  // namespace vantrel::desktop
