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

#include "platform/component/dispatch.h"

namespace halcyra {

const component::ClassIdentity& SSConstantsClassIdentity();

// The interface, in slot order.
class _SSConstants : public component::Dispatch {
 public:
  ~_SSConstants() override;

  virtual QString SettingsKeyAboutURL() const = 0;
  virtual QString SettingsKeyAboutPixelWidth() const = 0;
  virtual QString SettingsKeyAboutPixelHeight() const = 0;
  virtual QString SettingsKeyAboutURLDefault() const = 0;
  virtual QString SettingsKeyCloseOnKey() const = 0;
  virtual QString SettingsKeyShowScrollBars() const = 0;
  virtual QString SettingsKeyShowCloseButton() const = 0;
  virtual QString SettingsKeyHideAllTimeOut() const = 0;
  virtual QString SettingsKeyCloseOnKeyDefault() const = 0;
  virtual QString SettingsKeyCloseOnMouse() const = 0;
  virtual QString SettingsKeyCloseOnMouseDefault() const = 0;
  virtual QString SettingsKeyOffLine() const = 0;
  virtual QString SettingsKeyOffLineDefault() const = 0;
  virtual QString SettingsKeyActiveX() const = 0;
  virtual QString SettingsKeyPreviewURL() const = 0;
  virtual QString SettingsKeyPropertiesURL() const = 0;
  virtual QString SettingsKeyPropertiesPixelWidth() const = 0;
  virtual QString SettingsKeyPropertiesPixelHeight() const = 0;
  virtual QString SettingsKeyPropertiesURLDefault() const = 0;
  virtual QString SettingsKeyStartupURLDefault() const = 0;
  virtual QString SettingsSectionRunTime() const = 0;
  virtual QString SettingsSectionScreenSaver() const = 0;
  virtual QString SettingsSectionActiveXCOM() const = 0;
  virtual QString SettingsKeyStartupURL() const = 0;
  virtual QString SettingsKeyHelpURL() const = 0;
};

// A new SSConstants object, made directly rather than through the class registry.
std::shared_ptr<_SSConstants> MakeSSConstants();

}  // namespace halcyra

#endif  // VANTREL_HALCYRA_SS_CONSTANTS_H_
