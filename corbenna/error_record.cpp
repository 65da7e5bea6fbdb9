#include "corbenna/error_record.h"

#include "corbenna/string_handler.h"

namespace corbenna {

QString ComposeErrorRecord(const ErrorReport& report, _StringHandler& strings) {
  const QString crlf = QStringLiteral("\r\n");
  QString record =
      QStringLiteral("The application encountered the following unexpected and critical error:") +
      crlf + crlf + QStringLiteral("Application Title: ") + report.app_title + crlf +
      QStringLiteral("Module: ") + report.module_name + crlf + QStringLiteral("Routine: ") +
      report.routine_name + crlf + QStringLiteral("Error Number: ") +
      QString::number(report.number) + crlf + QStringLiteral("Description:") + crlf +
      report.description + crlf + crlf;
  if (!strings.IsBlank(report.comments)) {
    record += QStringLiteral("Comments:") + crlf + report.comments;
  }
  return record;
}

QString CriticalErrorBoxText(const QString& record) {
  return record + QStringLiteral("\r\n\r\n") +
         QStringLiteral("Please review the application event ") +
         QStringLiteral("log or log file for further information.");
}

}  // namespace corbenna
