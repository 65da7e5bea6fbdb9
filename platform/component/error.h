// Numbered errors: the one way failures travel between the system's layers.
//
// An Error carries a 32-bit number, the name of the component that raised it (its source) and a
// description for people. Numbers below 1000 follow the platform's classic run-time numbering
// and have standard description texts (see StandardDescription); components define their own
// numbers above that in their public headers.
#ifndef VANTREL_PLATFORM_COMPONENT_ERROR_H_
#define VANTREL_PLATFORM_COMPONENT_ERROR_H_

#include <QString>
#include <cstdint>
#include <exception>
#include <string>

#include "platform/component/component_export.h"

namespace component {

// The standard numbers the system raises or relies on.
enum StandardError : int32_t {
  kInvalidProcedureCall = 5,
  kOverflow = 6,
  kOutOfMemory = 7,
  kSubscriptOutOfRange = 9,
  kTypeMismatch = 13,
  kErrorLoadingLibrary = 48,
  kFileNotFound = 53,
  kFileAlreadyOpen = 55,
  kDiskFull = 61,
  kPermissionDenied = 70,
  kPathFileAccessError = 75,
  kPathNotFound = 76,
  kObjectVariableNotSet = 91,
  kInvalidUseOfNull = 94,
  kObjectRequired = 424,
  kCannotCreateObject = 429,
  kObjectDoesNotSupportMember = 438,
  kWrongNumberOfArguments = 450,
};

// The platform's standard text for `number`, or "Application-defined or object-defined error"
// for a number that has none.
COMPONENT_EXPORT QString StandardDescription(int32_t number);

class COMPONENT_EXPORT Error : public std::exception {
 public:
  Error(int32_t number, QString source, QString description);
  // Uses StandardDescription(number) as the description.
  Error(int32_t number, QString source);

  int32_t number() const noexcept { return number_; }
  const QString& source() const noexcept { return source_; }
  const QString& description() const noexcept { return description_; }

  // "description (error number)" in UTF-8, for logs and std::exception users.
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  int32_t number_;
  QString source_;
  QString description_;
  std::string what_;
};

}  // namespace component

#endif  // VANTREL_PLATFORM_COMPONENT_ERROR_H_
