#include "halcyra/ss_constants.h"

#include <memory>

#include "halcyra/product_page.h"
#include "platform/component/class_factory.h"
#include "platform/component/member_table.h"

namespace halcyra {
namespace {

using component::Arguments;
using component::InvokeKind;
using component::Variant;

class SSConstants final : public _SSConstants {
 public:
  const component::ClassIdentity& Identity() const override { return SSConstantsClassIdentity(); }

  QString SettingsKeyAboutURL() const noexcept override { return QStringLiteral("AboutURL"); }
  QString SettingsKeyAboutPixelWidth() const noexcept override {
    return QStringLiteral("AboutPixelWidth");
  }
  QString SettingsKeyAboutPixelHeight() const noexcept override {
    return QStringLiteral("AboutPixelHeight");
  }
  QString SettingsKeyAboutURLDefault() const noexcept override {
    return QStringLiteral("about.htm");
  }
  QString SettingsKeyCloseOnKey() const noexcept override { return QStringLiteral("CloseOnKey"); }
  QString SettingsKeyShowScrollBars() const noexcept override {
    return QStringLiteral("ShowScrollBars");
  }
  QString SettingsKeyShowCloseButton() const noexcept override {
    return QStringLiteral("ShowCloseButton");
  }
  QString SettingsKeyHideAllTimeOut() const noexcept override {
    return QStringLiteral("HideAllTimeOut");
  }
  QString SettingsKeyCloseOnKeyDefault() const noexcept override { return QStringLiteral("1"); }
  QString SettingsKeyCloseOnMouse() const noexcept override {
    return QStringLiteral("CloseOnMouse");
  }
  QString SettingsKeyCloseOnMouseDefault() const noexcept override { return QStringLiteral("1"); }
  QString SettingsKeyOffLine() const noexcept override { return QStringLiteral("OffLine"); }
  QString SettingsKeyOffLineDefault() const noexcept override { return QStringLiteral("0"); }
  QString SettingsKeyActiveX() const noexcept override { return QStringLiteral("ActiveX"); }
  QString SettingsKeyPreviewURL() const noexcept override { return QStringLiteral("PreviewURL"); }
  QString SettingsKeyPropertiesURL() const noexcept override {
    return QStringLiteral("PropertiesURL");
  }
  QString SettingsKeyPropertiesPixelWidth() const noexcept override {
    return QStringLiteral("PropertiesPixelWidth");
  }
  QString SettingsKeyPropertiesPixelHeight() const noexcept override {
    return QStringLiteral("PropertiesPixelHeight");
  }
  QString SettingsKeyPropertiesURLDefault() const noexcept override {
    return QStringLiteral("properties.htm");
  }
  QString SettingsKeyStartupURLDefault() const noexcept override { return ProductPageAddress(); }
  QString SettingsSectionRunTime() const noexcept override { return QStringLiteral("RunTime"); }
  QString SettingsSectionScreenSaver() const noexcept override {
    return QStringLiteral("ScreenSaver");
  }
  QString SettingsSectionActiveXCOM() const noexcept override {
    return QStringLiteral("ActiveXandCOM");
  }
  QString SettingsKeyStartupURL() const noexcept override { return QStringLiteral("StartUpURL"); }
  QString SettingsKeyHelpURL() const noexcept override { return QStringLiteral("HelpURL"); }

  Variant Invoke(const QString& member, InvokeKind kind,
                 const std::vector<Variant>& arguments) override;
};

template <QString (_SSConstants::*Property)() const noexcept>
Variant ConstantOf(SSConstants& self, const Arguments& arguments) {
  arguments.ExpectCount(0, 0);
  return (self.*Property)();
}

Variant SSConstants::Invoke(const QString& member, InvokeKind kind,
                            const std::vector<Variant>& arguments) {
  using S = _SSConstants;
  constexpr InvokeKind kGet = InvokeKind::kPropertyGet;
  static const component::MemberTable<SSConstants> table{
      {"SettingsKeyAboutURL", kGet, &ConstantOf<&S::SettingsKeyAboutURL>},
      {"SettingsKeyAboutPixelWidth", kGet, &ConstantOf<&S::SettingsKeyAboutPixelWidth>},
      {"SettingsKeyAboutPixelHeight", kGet, &ConstantOf<&S::SettingsKeyAboutPixelHeight>},
      {"SettingsKeyAboutURLDefault", kGet, &ConstantOf<&S::SettingsKeyAboutURLDefault>},
      {"SettingsKeyCloseOnKey", kGet, &ConstantOf<&S::SettingsKeyCloseOnKey>},
      {"SettingsKeyShowScrollBars", kGet, &ConstantOf<&S::SettingsKeyShowScrollBars>},
      {"SettingsKeyShowCloseButton", kGet, &ConstantOf<&S::SettingsKeyShowCloseButton>},
      {"SettingsKeyHideAllTimeOut", kGet, &ConstantOf<&S::SettingsKeyHideAllTimeOut>},
      {"SettingsKeyCloseOnKeyDefault", kGet, &ConstantOf<&S::SettingsKeyCloseOnKeyDefault>},
      {"SettingsKeyCloseOnMouse", kGet, &ConstantOf<&S::SettingsKeyCloseOnMouse>},
      {"SettingsKeyCloseOnMouseDefault", kGet, &ConstantOf<&S::SettingsKeyCloseOnMouseDefault>},
      {"SettingsKeyOffLine", kGet, &ConstantOf<&S::SettingsKeyOffLine>},
      {"SettingsKeyOffLineDefault", kGet, &ConstantOf<&S::SettingsKeyOffLineDefault>},
      {"SettingsKeyActiveX", kGet, &ConstantOf<&S::SettingsKeyActiveX>},
      {"SettingsKeyPreviewURL", kGet, &ConstantOf<&S::SettingsKeyPreviewURL>},
      {"SettingsKeyPropertiesURL", kGet, &ConstantOf<&S::SettingsKeyPropertiesURL>},
      {"SettingsKeyPropertiesPixelWidth", kGet, &ConstantOf<&S::SettingsKeyPropertiesPixelWidth>},
      {"SettingsKeyPropertiesPixelHeight", kGet, &ConstantOf<&S::SettingsKeyPropertiesPixelHeight>},
      {"SettingsKeyPropertiesURLDefault", kGet, &ConstantOf<&S::SettingsKeyPropertiesURLDefault>},
      {"SettingsKeyStartupURLDefault", kGet, &ConstantOf<&S::SettingsKeyStartupURLDefault>},
      {"SettingsSectionRunTime", kGet, &ConstantOf<&S::SettingsSectionRunTime>},
      {"SettingsSectionScreenSaver", kGet, &ConstantOf<&S::SettingsSectionScreenSaver>},
      {"SettingsSectionActiveXCOM", kGet, &ConstantOf<&S::SettingsSectionActiveXCOM>},
      {"SettingsKeyStartupURL", kGet, &ConstantOf<&S::SettingsKeyStartupURL>},
      {"SettingsKeyHelpURL", kGet, &ConstantOf<&S::SettingsKeyHelpURL>},
  };
  return table.Invoke(*this, member, kind, arguments);
}

const component::ClassRegistrar kRegistrar(SSConstantsClassIdentity(), [] {
  return std::shared_ptr<component::Dispatch>(MakeSSConstants());
});

}  // namespace

_SSConstants::~_SSConstants() = default;

std::shared_ptr<_SSConstants> MakeSSConstants() { return std::make_shared<SSConstants>(); }

const component::ClassIdentity& SSConstantsClassIdentity() {
  static const component::ClassIdentity identity{
      QStringLiteral("halcyra.SSConstants"), QUuid("{779884D5-FD16-11D2-A2FA-00105A1B541E}"),
      QStringLiteral("_SSConstants"), QUuid("{779884D4-FD16-11D2-A2FA-00105A1B541E}")};
  return identity;
}

}  // namespace halcyra
