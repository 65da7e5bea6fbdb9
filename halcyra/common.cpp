#include "halcyra/common.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <optional>

#include "halcyra/ss_constants.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "platform/component/library_folder.h"
#include "platform/component/member_table.h"
#include "platform/component/space_trim.h"
#include "platform/desktop_api/associated_program.h"
#include "platform/desktop_api/beep.h"
#include "platform/desktop_api/process_start.h"
#include "platform/desktop_api/profile_file.h"
#include "platform/desktop_api/short_path.h"
#include "platform/desktop_api/system_folder.h"
#include "platform/desktop_api/temp_folder.h"

namespace halcyra {
namespace {

using component::Error;
using component::InvokeKind;
using component::Variant;

// The vendor's folder in the user's configuration folder, where settings pointer files live.
const QString kVendorFolder = QStringLiteral("kelvo");
constexpr int kFieldWidth = 255;
constexpr int kProfileBufferSize = 255;
constexpr qsizetype kLargestTerminatorPosition = 32767;  // a 16-bit signed position

QString WithoutTrailingSpaces(QString text) {
  while (text.endsWith(u' ')) text.chop(1);
  return text;
}

bool IsBlankText(const QString& text) { return component::TrimSpaces(text).isEmpty(); }

// `text` as a field of exactly kFieldWidth characters.
QString Field(const QString& text) { return text.left(kFieldWidth).leftJustified(kFieldWidth); }

// The folder that holds this library's file.
QString LibraryFolder() {
  return component::FolderOfLibraryHolding(reinterpret_cast<const void*>(&LibraryFolder));
}

// Creates or empties the file and writes the marker line; false when it could not. Refuses to
// follow a link, so a link planted under the fixed name in a shared folder is not written
// through.
// Writes the marker file; true when this call created or replaced it, whether or not its line
// could be written (a full disk), so that the caller removes it in every such case.
bool WriteMarkerFile(const QString& path) {
  const int fd = open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  static constexpr char kLine[] = "<HTML>Display URL</HTML>\n";
  (void)!write(fd, kLine, sizeof kLine - 1);
  close(fd);
  return true;
}

class common final : public _common {
 public:
  const component::ClassIdentity& Identity() const override { return CommonClassIdentity(); }

  QString GetShortPathName(const QString& strLongPath) override {
    const QString short_path = desktop_api::GetShortPathName(strLongPath);
    if (short_path.isEmpty()) throw Error(component::kFileNotFound, Source());
    return StripTerminator(short_path);
  }

  void DisplayURL(const QString& sURL) noexcept override;

  QString APIFindExecutable(const QString& sAppPath, const QString& sFileName) override {
    const std::optional<desktop_api::AssociatedProgram> program = FindBrowser(sAppPath, sFileName);
    return GetShortPathName(program ? program->program : QString());
  }

  QString GetTempDir() noexcept override { return desktop_api::GetTempPath(); }

  QString GetValueINI(const QString& sSection, const QString& sKey,
                      const QString& sFileName) noexcept override {
    try {
      return component::TrimSpaces(desktop_api::GetPrivateProfileString(
          sSection, sKey, QString(), kProfileBufferSize, sFileName));
    } catch (...) {
      desktop_api::Beep();
      return QString();
    }
  }

  QString GetWindowsSysDir() noexcept override {
    const QString folder = desktop_api::GetSystemDirectory(kVendorFolder);
    if (folder.size() < 1) return QString();
    QString result = StripTerminator(folder);
    AddDirSep(result);
    return result;
  }

  void AddDirSep(QString& sPathName) override {
    const QString trimmed = component::TrimSpaces(sPathName);
    if (!trimmed.endsWith(u'/') && !trimmed.endsWith(u'\\')) {
      sPathName = WithoutTrailingSpaces(sPathName) + u'/';
    }
  }

  QString StripTerminator(const QString& sText) override {
    const qsizetype nul = sText.indexOf(QChar(u'\0'));
    if (nul < 0) return sText;
    if (nul + 1 > kLargestTerminatorPosition) throw Error(component::kOverflow, Source());
    return sText.left(nul);
  }

  void SaveScrSetting(const QString& sAppExeName, const QString& sSection, const QString& sKey,
                      const QString& sValue) override;

  Variant IsBlank(const QString& sText) noexcept override { return Variant(IsBlankText(sText)); }

  QString GetScrSetting(const QString& sAppExeName, const QString& sSection, const QString& sKey,
                        const QString& sDefault) override;

  Variant Invoke(const QString& member, InvokeKind kind,
                 const std::vector<Variant>& arguments) override;

 private:
  QString Source() const { return Identity().prog_id; }

  _SSConstants& Constants() {
    if (!constants_) constants_ = MakeSSConstants();
    return *constants_;
  }

  // The associated program of a file, its path in the short form; nullopt when there is none.
  std::optional<desktop_api::AssociatedProgram> FindBrowser(const QString& folder,
                                                            const QString& file_name) {
    std::optional<desktop_api::AssociatedProgram> program =
        desktop_api::FindExecutable(Field(file_name), Field(folder));
    if (program) program->program = GetShortPathName(program->program);
    return program;
  }

  QString PointerFile(const QString& app_exe_name) {
    return GetWindowsSysDir() + app_exe_name + QStringLiteral(".dat");
  }

  // The settings folder that the pointer file names, without surrounding spaces.
  QString SettingsFolder(const QString& pointer_file) {
    return GetValueINI(Constants().SettingsSectionScreenSaver(), QStringLiteral("Path"),
                       pointer_file);
  }

  QString ResolveURLSetting(const QString& settings_file, const QString& folder,
                            const QString& section, const QString& key,
                            const QString& default_value);

  Error CannotWrite(const QString& what) const {
    return Error(component::kPathFileAccessError, Source(),
                 QStringLiteral("%1: %2").arg(
                     component::StandardDescription(component::kPathFileAccessError), what));
  }

  std::shared_ptr<_SSConstants> constants_;
};

void common::DisplayURL(const QString& sURL) noexcept {
  // Each step runs whether or not the one before it worked; nothing is reported.
  QString temp_file;
  try {
    temp_file = GetTempDir() + QStringLiteral("displurl.htm");
  } catch (...) {
  }
  bool created = false;
  try {
    created = !temp_file.isEmpty() && WriteMarkerFile(temp_file);
  } catch (...) {
  }
  std::optional<desktop_api::AssociatedProgram> browser;
  try {
    browser = FindBrowser(LibraryFolder(), temp_file);
    if (browser) browser->program = component::TrimSpaces(browser->program);
  } catch (...) {
    browser.reset();
  }
  try {
    if (browser && !browser->program.isEmpty() && !sURL.startsWith(u'-')) {
      desktop_api::StartProcess(browser->program, browser->ArgumentsFor(sURL));
    }
  } catch (...) {
  }
  // Only the file created here is removed: a file or link of another owner stays.
  if (created) QFile::remove(temp_file);
}

void common::SaveScrSetting(const QString& sAppExeName, const QString& sSection,
                            const QString& sKey, const QString& sValue) {
  // At most two rounds: the second follows the pointer the first one wrote.
  for (int round = 0; round < 2; ++round) {
    const QString pointer_file = PointerFile(sAppExeName);
    const QString folder = SettingsFolder(pointer_file);
    if (!IsBlankText(folder)) {
      const QString settings_file = folder + sAppExeName + QStringLiteral(".ini");
      if (!desktop_api::WritePrivateProfileString(sSection, sKey, Field(sValue), settings_file)) {
        throw CannotWrite(settings_file);
      }
      return;
    }
    if (round > 0) break;
    const QString system_folder = GetWindowsSysDir();
    if (system_folder.isEmpty()) throw CannotWrite(QStringLiteral("no system folder"));
    if (!desktop_api::WritePrivateProfileString(Constants().SettingsSectionScreenSaver(),
                                                QStringLiteral("Path"), system_folder,
                                                pointer_file)) {
      throw CannotWrite(pointer_file);
    }
  }
  throw CannotWrite(PointerFile(sAppExeName));
}

QString common::GetScrSetting(const QString& sAppExeName, const QString& sSection,
                              const QString& sKey, const QString& sDefault) {
  const QString folder = SettingsFolder(PointerFile(sAppExeName));
  QString value;
  if (!IsBlankText(folder)) {
    const QString settings_file = folder + sAppExeName + QStringLiteral(".ini");
    _SSConstants& names = Constants();
    const bool url_key =
        sKey == names.SettingsKeyStartupURL() || sKey == names.SettingsKeyPropertiesURL() ||
        sKey == names.SettingsKeyAboutURL() || sKey == names.SettingsKeyPreviewURL() ||
        sKey == names.SettingsKeyHelpURL();
    if (sSection == names.SettingsSectionRunTime() && url_key) {
      value =
          ResolveURLSetting(settings_file, folder, names.SettingsSectionRunTime(), sKey, sDefault);
    } else {
      value = GetValueINI(sSection, sKey, settings_file);
    }
  }
  return IsBlankText(value) ? sDefault : value;
}

QString common::ResolveURLSetting(const QString& settings_file, const QString& folder,
                                  const QString& section, const QString& key,
                                  const QString& default_value) {
  QString value = GetValueINI(section, key, settings_file);
  if (IsBlankText(value)) value = default_value;
  if (value.contains(u'\\') || value.contains(u'/')) return value;
  if (!IsBlankText(value)) return folder + value;
  return QString();
}

Variant common::Invoke(const QString& member, InvokeKind kind,
                       const std::vector<Variant>& arguments) {
  using M = component::Methods<common>;
  static const component::MemberTable<common> table{
      {"GetShortPathName", InvokeKind::kMethod, &M::Call<&common::GetShortPathName>},
      {"DisplayURL", InvokeKind::kMethod, &M::Call<&common::DisplayURL>},
      {"APIFindExecutable", InvokeKind::kMethod, &M::Call<&common::APIFindExecutable>},
      {"GetTempDir", InvokeKind::kMethod, &M::Call<&common::GetTempDir>},
      {"GetValueINI", InvokeKind::kMethod, &M::Call<&common::GetValueINI>},
      {"GetWindowsSysDir", InvokeKind::kMethod, &M::Call<&common::GetWindowsSysDir>},
      {"AddDirSep", InvokeKind::kMethod, &M::Call<&common::AddDirSep>},
      {"StripTerminator", InvokeKind::kMethod, &M::Call<&common::StripTerminator>},
      {"SaveScrSetting", InvokeKind::kMethod, &M::Call<&common::SaveScrSetting>},
      {"IsBlank", InvokeKind::kMethod, &M::Call<&common::IsBlank>},
      {"GetScrSetting", InvokeKind::kMethod, &M::Call<&common::GetScrSetting>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

const component::ClassRegistrar kRegistrar(CommonClassIdentity(),
                                           [] { return std::make_shared<common>(); });

}  // namespace

_common::~_common() = default;

const component::ClassIdentity& CommonClassIdentity() {
  static const component::ClassIdentity identity{
      QStringLiteral("halcyra.common"), QUuid("{779884D7-FD16-11D2-A2FA-00105A1B541E}"),
      QStringLiteral("_common"), QUuid("{779884D6-FD16-11D2-A2FA-00105A1B541E}")};
  return identity;
}

}  // namespace halcyra
