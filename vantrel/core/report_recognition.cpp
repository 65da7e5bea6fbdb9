#include "vantrel/core/report_recognition.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <algorithm>

#include "vantrel/core/html_report.h"

namespace vantrel {

bool IsComparisonReport(const QByteArray& start, const QByteArray& tail) {
  if (IsHtmlReport(start)) return true;
  static const QRegularExpression format(
      QStringLiteral("\n\\s*\"format\"\\s*:\\s*\"vantrel-comparison\",?\n"));
  if (start.trimmed().startsWith('{') && tail.trimmed().endsWith('}') &&
      format.match(QString::fromUtf8(tail)).hasMatch()) {
    return true;
  }
  static const QRegularExpression paragraph(
      QStringLiteral("^(?:[A-Z][A-Za-z]*(?: [A-Za-z]+)*: '|Not compared: )"));
  const QString text = QString::fromUtf8(start);
  QStringList paragraphs = text.split(QStringLiteral("\n\n"), Qt::SkipEmptyParts);
  // A long report's last paragraph read may be cut off mid-way.
  if (start.size() == kRecognisedEnd && paragraphs.size() > 1) paragraphs.removeLast();
  return !paragraphs.isEmpty() &&
         std::all_of(paragraphs.begin(), paragraphs.end(),
                     [](const QString& p) { return paragraph.match(p).hasMatch(); });
}

}  // namespace vantrel
