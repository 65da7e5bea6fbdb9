// Who the program is: its title and version. The version numbers come from the build (the
// project's version in CMakeLists.txt), so the About window, `vantrel-cli --version` and the
// package all show one number.
#ifndef VANTREL_VANTREL_CORE_PROGRAM_IDENTITY_H_
#define VANTREL_VANTREL_CORE_PROGRAM_IDENTITY_H_

#include <QString>

namespace vantrel {

inline QString ProgramTitle() { return QStringLiteral("Vantrel"); }

struct ProgramVersion {
  int major;
  int minor;
  int revision;
};

constexpr ProgramVersion kProgramVersion{VANTREL_VERSION_MAJOR, VANTREL_VERSION_MINOR,
                                         VANTREL_VERSION_REVISION};

// "major.minor.revision", each in decimal without leading zeros: 1.0.16.
inline QString VersionText(const ProgramVersion& version = kProgramVersion) {
  return QStringLiteral("%1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision);
}

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_PROGRAM_IDENTITY_H_
