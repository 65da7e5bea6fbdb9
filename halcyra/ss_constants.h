// SSConstants: the names of the setting sections and keys that the settings operations of
// common know, and the values a caller uses when a key is absent.
//
// Created as "halcyra.SSConstants" or by its class identifier. Every property is read-only
// text, fixed, and never throws; called by name, each is a property get with no arguments.
// Names beginning with SettingsKey name keys, SettingsSection sections; those ending in Default
// are defaults. The About and Properties URL defaults are bare file names inside the settings
// folder; the start-up URL default is the product's home page (product_page.h).
#ifndef VANTREL_HALCYRA_SS_CONSTANTS_H_
#define VANTREL_HALCYRA_SS_CONSTANTS_H_

#include <QString>
#include <memory>

#include "halcyra/halcyra_export.h"
#include "platform/component/dispatch.h"

namespace halcyra {

HALCYRA_EXPORT const component::ClassIdentity& SSConstantsClassIdentity();

// The interface, in slot order.
class HALCYRA_EXPORT _SSConstants : public component::Dispatch {
 public:
  ~_SSConstants() override;

  virtual QString SettingsKeyAboutURL() const noexcept = 0;
  virtual QString SettingsKeyAboutPixelWidth() const noexcept = 0;
  virtual QString SettingsKeyAboutPixelHeight() const noexcept = 0;
  virtual QString SettingsKeyAboutURLDefault() const noexcept = 0;
  virtual QString SettingsKeyCloseOnKey() const noexcept = 0;
  virtual QString SettingsKeyShowScrollBars() const noexcept = 0;
  virtual QString SettingsKeyShowCloseButton() const noexcept = 0;
  virtual QString SettingsKeyHideAllTimeOut() const noexcept = 0;
  virtual QString SettingsKeyCloseOnKeyDefault() const noexcept = 0;
  virtual QString SettingsKeyCloseOnMouse() const noexcept = 0;
  virtual QString SettingsKeyCloseOnMouseDefault() const noexcept = 0;
  virtual QString SettingsKeyOffLine() const noexcept = 0;
  virtual QString SettingsKeyOffLineDefault() const noexcept = 0;
  virtual QString SettingsKeyActiveX() const noexcept = 0;
  virtual QString SettingsKeyPreviewURL() const noexcept = 0;
  virtual QString SettingsKeyPropertiesURL() const noexcept = 0;
  virtual QString SettingsKeyPropertiesPixelWidth() const noexcept = 0;
  virtual QString SettingsKeyPropertiesPixelHeight() const noexcept = 0;
  virtual QString SettingsKeyPropertiesURLDefault() const noexcept = 0;
  virtual QString SettingsKeyStartupURLDefault() const noexcept = 0;
  virtual QString SettingsSectionRunTime() const noexcept = 0;
  virtual QString SettingsSectionScreenSaver() const noexcept = 0;
  virtual QString SettingsSectionActiveXCOM() const noexcept = 0;
  virtual QString SettingsKeyStartupURL() const noexcept = 0;
  virtual QString SettingsKeyHelpURL() const noexcept = 0;
};

// A new SSConstants object, made directly rather than through the class registry.
HALCYRA_EXPORT std::shared_ptr<_SSConstants> MakeSSConstants();

}  // namespace halcyra

#endif  // VANTREL_HALCYRA_SS_CONSTANTS_H_
