// The fixed-layout record of one critical error, as ErrorHandler logs and shows it.
#ifndef VANTREL_CORBENNA_ERROR_RECORD_H_
#define VANTREL_CORBENNA_ERROR_RECORD_H_

#include <QString>
#include <cstdint>

#include "corbenna/corbenna_export.h"

namespace corbenna {

class _StringHandler;

struct ErrorReport {
  QString app_title;
  QString module_name;
  QString routine_name;
  int32_t number = 0;
  QString description;
  QString comments;
};

// Lines ended by CRLF: the heading, an empty line, "Application Title: ", "Module: ",
// "Routine: ", "Error Number: " (plain decimal), "Description:", the description and an empty
// line; then, only when the comments are not blank, "Comments:" and the comments with no line
// end after them. `strings` makes the blank test.
CORBENNA_EXPORT QString ComposeErrorRecord(const ErrorReport& report, _StringHandler& strings);

// The critical-error box's text: the record, an empty line and the pointer to the log.
CORBENNA_EXPORT QString CriticalErrorBoxText(const QString& record);

}  // namespace corbenna

#endif  // VANTREL_CORBENNA_ERROR_RECORD_H_
