// common: path, shell, web-address and settings-file helpers of the desktop utility library.
//
// Created as "halcyra.common" or by its class identifier; the class holds no state of its own
// beyond one SSConstants object made the first time a settings operation needs a name. Use an
// object from the thread that created it.
//
// Paths use "/" as the folder separator; where a text is tested for a closing separator, "\"
// counts as well. Only the space character (U+0020) counts as blank or is trimmed. Errors are
// component::Error with "halcyra.common" as source and the standard description of the number.
//
// Settings. An application's settings live in the file AppExeName + ".ini" of a settings folder;
// the pointer file AppExeName + ".dat" in the system folder (GetWindowsSysDir) names that folder
// in its key "Path" of section "ScreenSaver". The first save of an application that has no
// pointer file makes the system folder its settings folder.
#ifndef VANTREL_HALCYRA_COMMON_H_
#define VANTREL_HALCYRA_COMMON_H_

#include <QString>

#include "halcyra/halcyra_export.h"
#include "platform/component/dispatch.h"
#include "platform/component/variant.h"

namespace halcyra {

HALCYRA_EXPORT const component::ClassIdentity& CommonClassIdentity();

// The interface, in slot order.
class HALCYRA_EXPORT _common : public component::Dispatch {
 public:
  ~_common() override;

  // The short form of an existing file or folder: on this platform its absolute path. Throws 53
  // (file not found) when the path does not exist or is empty.
  virtual QString GetShortPathName(const QString& strLongPath) = 0;

  // Opens `sURL` in the desktop's default web browser and returns at once. The address reaches
  // the browser as one argument, unchanged; no shell or command line ever sees it, and an
  // address starting with '-' (which a browser would take for an option) is not handed over.
  // While it looks up the browser it keeps the file "displurl.htm" in the temporary folder
  // (created only where no other file or link of that name is in the way) and deletes it
  // before it returns. Never throws, shows nothing, reports nothing: when no browser is
  // associated or it cannot start, nothing happens. The lookup may take up to a few seconds
  // when the desktop's association tool does not answer.
  virtual void DisplayURL(const QString& sURL) noexcept = 0;

  // The absolute path of the program associated with the file `sFileName` (relative to the
  // folder `sAppPath`): the desktop's default application for its type. Both texts are cut to
  // 255 characters. Throws 53 when there is none (or the file does not exist).
  virtual QString APIFindExecutable(const QString& sAppPath, const QString& sFileName) = 0;

  // The temporary folder ($TMPDIR or /tmp), ending in "/". Never throws.
  virtual QString GetTempDir() noexcept = 0;

  // The value of `sKey` in `sSection` of the profile file `sFileName`, at most 254 characters,
  // without leading and trailing spaces; "" when the file, section or key is missing or the file
  // cannot be read. Section and key names ignore letter case. Never throws: a failure sounds a
  // beep and gives "".
  virtual QString GetValueINI(const QString& sSection, const QString& sKey,
                              const QString& sFileName) noexcept = 0;

  // The system folder that holds settings pointer files, ending in "/" (on this platform a
  // per-user folder in the user's configuration folder, created when missing); "" when there is
  // none. Never throws.
  virtual QString GetWindowsSysDir() noexcept = 0;

  // Unless `sPathName`, without its leading and trailing spaces, ends in "/" or "\", replaces it
  // by itself without trailing spaces followed by "/" ("" becomes "/"); otherwise leaves it as
  // it is, spaces included. Called by name, the changed text is also the call's result, since a
  // call by name cannot change its argument.
  virtual void AddDirSep(QString& sPathName) = 0;

  // `sText` up to its first NUL character, or whole when it has none. Throws 6 (overflow) when
  // the first NUL is beyond position 32,767 (counting from 1).
  virtual QString StripTerminator(const QString& sText) = 0;

  // Writes `sValue`, as a field of exactly 255 characters (padded with spaces or cut), under
  // `sKey` of `sSection` in the settings file of the application `sAppExeName`; the first save
  // creates the pointer file and makes the system folder the settings folder. Throws 75
  // (path/file access error) when the system folder, the pointer file or the settings file
  // cannot be written, instead of losing the setting without a word.
  virtual void SaveScrSetting(const QString& sAppExeName, const QString& sSection,
                              const QString& sKey, const QString& sValue) = 0;

  // True (as a Boolean variant) when `sText` is empty or only spaces. Never throws.
  virtual component::Variant IsBlank(const QString& sText) noexcept = 0;

  // The setting `sKey` of `sSection` of the application `sAppExeName`, or `sDefault` when it is
  // blank, missing, or the application has no settings folder yet. In section "RunTime" the
  // keys "StartUpURL", "PropertiesURL", "AboutURL", "PreviewURL" and "HelpURL" (exactly these
  // spellings) are addresses: a value (or default) without "/" or "\" is a file name in the
  // settings folder and comes back prefixed with that folder. Never creates a file.
  virtual QString GetScrSetting(const QString& sAppExeName, const QString& sSection,
                                const QString& sKey, const QString& sDefault) = 0;
};

}  // namespace halcyra

#endif  // VANTREL_HALCYRA_COMMON_H_
