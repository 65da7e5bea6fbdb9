#include "platform/component/error.h"

#include <utility>

namespace component {

QString StandardDescription(int32_t number) {
  switch (number) {
    case kInvalidProcedureCall:
      return QStringLiteral("Invalid procedure call or argument");
    case kOverflow:
      return QStringLiteral("Overflow");
    case kOutOfMemory:
      return QStringLiteral("Out of memory");
    case kSubscriptOutOfRange:
      return QStringLiteral("Subscript out of range");
    case kTypeMismatch:
      return QStringLiteral("Type mismatch");
    case kErrorLoadingLibrary:
      return QStringLiteral("Error in loading DLL");
    case kFileNotFound:
      return QStringLiteral("File not found");
    case kFileAlreadyOpen:
      return QStringLiteral("File already open");
    case kDiskFull:
      return QStringLiteral("Disk full");
    case kPermissionDenied:
      return QStringLiteral("Permission denied");
    case kPathFileAccessError:
      return QStringLiteral("Path/File access error");
    case kPathNotFound:
      return QStringLiteral("Path not found");
    case kObjectVariableNotSet:
      return QStringLiteral("Object variable or With block variable not set");
    case kInvalidUseOfNull:
      return QStringLiteral("Invalid use of Null");
    case kObjectRequired:
      return QStringLiteral("Object required");
    case kCannotCreateObject:
      return QStringLiteral("Component can't create object");
    case kObjectDoesNotSupportMember:
      return QStringLiteral("Object doesn't support this property or method");
    case kWrongNumberOfArguments:
      return QStringLiteral("Wrong number of arguments or invalid property assignment");
    default:
      return QStringLiteral("Application-defined or object-defined error");
  }
}

Error::Error(int32_t number, QString source, QString description)
    : number_(number), source_(std::move(source)), description_(std::move(description)) {
  what_ = QStringLiteral("%1 (error %2)").arg(description_).arg(number_).toStdString();
}

Error::Error(int32_t number, QString source)
    : Error(number, std::move(source), StandardDescription(number)) {}

}  // namespace component
