// Lets GoogleTest print QString values in failure messages as text.
#ifndef VANTREL_DATAACCESS_TESTS_QSTRING_PRINTER_H_
#define VANTREL_DATAACCESS_TESTS_QSTRING_PRINTER_H_

#include <QString>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

#endif  // VANTREL_DATAACCESS_TESTS_QSTRING_PRINTER_H_
