#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "halcyra/common.h"
#include "halcyra/product_page.h"
#include "halcyra/ss_constants.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/testutil.h"

namespace halcyra {
namespace {

using component::test_support::FileContents;
using component::test_support::WriteFileContents;

using component::test_support::ErrorThrownBy;

using component::Error;
using component::Variant;

class SettingsFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(config_.isValid());
    environment_.Set("XDG_CONFIG_HOME", QFile::encodeName(config_.path()).toStdString());
    common_ = std::dynamic_pointer_cast<_common>(component::CreateObject("halcyra.common"));
    ASSERT_NE(common_, nullptr);
    system_folder_ = config_.path() + "/kelvo/";
  }

  void PointTo(const QString& app, const QString& folder) {
    QDir().mkpath(system_folder_);
    WriteFileContents(system_folder_ + app + ".dat",
                      "[ScreenSaver]\nPath=" + folder.toUtf8() + "\n");
  }

  QTemporaryDir config_;
  component::test_support::ScopedEnvironment environment_;
  std::shared_ptr<_common> common_;
  QString system_folder_;
};

TEST_F(SettingsFileTest, FirstSaveCreatesPointerFileAndSettingLandsInSystemFolder) {
  EXPECT_EQ(common_->GetScrSetting("vantrel", "RunTime", "OffLine", "0"), "0");
  EXPECT_TRUE(QDir(system_folder_).isEmpty()) << "reading creates no file";

  common_->SaveScrSetting("vantrel", "RunTime", "OffLine", "1");
  EXPECT_EQ(FileContents(system_folder_ + "vantrel.dat"),
            "[ScreenSaver]\nPath=" + system_folder_.toUtf8() + "\n");
  EXPECT_EQ(FileContents(system_folder_ + "vantrel.ini"),
            "[RunTime]\nOffLine=1" + QByteArray(254, ' ') + "\n");
  EXPECT_EQ(common_->GetScrSetting("vantrel", "RunTime", "OffLine", "0"), "1");

  // By name, with the same effect.
  common_->Call("SaveScrSetting", {Variant("vantrel"), Variant("RunTime"), Variant("CloseOnKey"),
                                   Variant(int32_t{0})});
  EXPECT_EQ(common_
                ->Call("GetScrSetting", {Variant("vantrel"), Variant("RunTime"),
                                         Variant("CloseOnKey"), Variant("1")})
                .AsText(),
            "0");
}

TEST_F(SettingsFileTest, SettingLandsInTheFolderThePointerNames) {
  QTemporaryDir other;
  ASSERT_TRUE(other.isValid());
  PointTo("app", "  " + other.path() + "/  ");
  common_->SaveScrSetting("app", "Display", "Width", "640");
  EXPECT_TRUE(QFile::exists(other.path() + "/app.ini"));
  EXPECT_FALSE(QFile::exists(system_folder_ + "app.ini"));
  EXPECT_EQ(common_->GetScrSetting("app", "Display", "Width", "-"), "640");
  EXPECT_EQ(common_->GetValueINI("DISPLAY", "width", other.path() + "/app.ini"), "640");

  // Without a closing separator the folder and the name run together; nothing corrects it.
  const QString unclosed = config_.path() + "/folder";
  ASSERT_TRUE(QDir().mkpath(unclosed));
  PointTo("joined", unclosed);
  common_->SaveScrSetting("joined", "S", "K", "v");
  EXPECT_TRUE(QFile::exists(config_.path() + "/folderjoined.ini"));
  EXPECT_TRUE(QDir(unclosed).isEmpty());
}

TEST_F(SettingsFileTest, UrlKeysOfRunTimeResolveAgainstTheSettingsFolder) {
  common_->SaveScrSetting("app", "Other", "Anything", "x");  // creates the pointer
  const auto get = [&](const char* section, const char* key, const char* default_value) {
    return common_->GetScrSetting("app", section, key, default_value);
  };
  EXPECT_EQ(get("RunTime", "HelpURL", "help.htm"), system_folder_ + "help.htm");
  EXPECT_EQ(get("RunTime", "HelpURL", "https://x.test/help"), "https://x.test/help");
  EXPECT_EQ(get("RunTime", "AboutURL", ""), "");

  common_->SaveScrSetting("app", "RunTime", "AboutURL", "C:\\docs\\about.htm");
  common_->SaveScrSetting("app", "RunTime", "StartUpURL", "start.htm");
  common_->SaveScrSetting("app", "RunTime", "PreviewURL", "   ");
  EXPECT_EQ(get("RunTime", "AboutURL", "d.htm"), "C:\\docs\\about.htm");
  EXPECT_EQ(get("RunTime", "StartUpURL", "d.htm"), system_folder_ + "start.htm");
  EXPECT_EQ(get("RunTime", "PreviewURL", "p.htm"), system_folder_ + "p.htm");

  // Only the exact spellings resolve; the lookup itself still ignores case.
  EXPECT_EQ(get("RunTime", "startupurl", "d.htm"), "start.htm");
  EXPECT_EQ(get("runtime", "StartUpURL", "d.htm"), "start.htm");
  EXPECT_EQ(get("runtime", "HelpURL", "h.htm"), "h.htm");
  EXPECT_EQ(get("Other", "HelpURL", "h.htm"), "h.htm");
}

TEST_F(SettingsFileTest, ValuesAreStoredCutTo255AndReadBackWithAtMost254) {
  const QString long_value = QString(200, u'a') + QString(100, u'b');
  common_->SaveScrSetting("app", "S", "Long", long_value);
  const QByteArray stored = FileContents(system_folder_ + "app.ini");
  EXPECT_TRUE(stored.contains("Long=" + long_value.left(255).toUtf8() + "\n"));
  EXPECT_EQ(common_->GetScrSetting("app", "S", "Long", ""), long_value.left(254));

  common_->SaveScrSetting("app", "S", "Spaces", "   ");
  EXPECT_EQ(common_->GetScrSetting("app", "S", "Spaces", "default"), "default");
  common_->SaveScrSetting("app", "S", "Padded", "  v  ");
  EXPECT_EQ(common_->GetScrSetting("app", "S", "Padded", "default"), "v");
}

TEST_F(SettingsFileTest, KeysThatDifferOnlyInCaseAreOneSetting) {
  common_->SaveScrSetting("app", "RunTime", "CloseOnKey", "1");
  common_->SaveScrSetting("app", "RUNTIME", "CLOSEONKEY", "0");
  const QByteArray stored = FileContents(system_folder_ + "app.ini");
  EXPECT_EQ(stored.count("="), 1) << stored.constData();
  EXPECT_EQ(common_->GetScrSetting("app", "runtime", "closeonkey", "-"), "0");
}

TEST_F(SettingsFileTest, PointerFileThatCannotBeWrittenFailsOnceWithoutLooping) {
  // A folder where the pointer file should be: it reads as missing and cannot be replaced.
  ASSERT_TRUE(QDir().mkpath(system_folder_ + "blocked.dat"));
  Error error = ErrorThrownBy([&] { common_->SaveScrSetting("blocked", "S", "K", "v"); });
  EXPECT_EQ(error.number(), component::kPathFileAccessError);
  EXPECT_TRUE(error.description().contains("blocked.dat")) << error.what();
  EXPECT_FALSE(QFile::exists(system_folder_ + "blocked.ini"));

  // A pointer file that is no text is never overwritten.
  const QByteArray binary("[ScreenSaver]\nPath=\0\n", 21);
  WriteFileContents(system_folder_ + "binary.dat", binary);
  error = ErrorThrownBy([&] { common_->SaveScrSetting("binary", "S", "K", "v"); });
  EXPECT_EQ(error.number(), component::kPathFileAccessError);
  EXPECT_EQ(FileContents(system_folder_ + "binary.dat"), binary);
  EXPECT_EQ(common_->GetScrSetting("binary", "S", "K", "d"), "d");
}

TEST_F(SettingsFileTest, SettingsFileThatCannotBeWrittenIsReported) {
  PointTo("app", config_.path() + "/missing-folder/");
  const Error error = ErrorThrownBy([&] { common_->SaveScrSetting("app", "S", "K", "v"); });
  EXPECT_EQ(error.number(), component::kPathFileAccessError);
  EXPECT_EQ(error.source(), "halcyra.common");

  environment_.Set("XDG_CONFIG_HOME", "/proc/no-such-folder-can-exist");
  environment_.Unset("HOME");
  EXPECT_EQ(ErrorThrownBy([&] { common_->SaveScrSetting("app", "S", "K", "v"); }).number(),
            component::kPathFileAccessError);
  EXPECT_EQ(common_->GetScrSetting("app", "S", "K", "d"), "d");
}

TEST_F(SettingsFileTest, GetValueIniTrimsAndTreatsMissingAsEmpty) {
  const QString ini = config_.path() + "/plain.ini";
  WriteFileContents(ini, "[Main]\nName=   padded value   \n");
  EXPECT_EQ(common_->GetValueINI("main", "NAME", ini), "padded value");
  EXPECT_EQ(common_->GetValueINI("Main", "Missing", ini), "");
  EXPECT_EQ(common_->GetValueINI("Main", "Name", config_.path() + "/none.ini"), "");
}

TEST(SSConstantsTest, NamesAndDefaultsBySlotAndByName) {
  std::shared_ptr<component::Dispatch> object =
      component::CreateObject(QStringLiteral("{779884D5-FD16-11D2-A2FA-00105A1B541E}"));
  auto constants = std::dynamic_pointer_cast<_SSConstants>(object);
  ASSERT_NE(constants, nullptr);
  const struct {
    const char* name;
    QString value;
  } expected[] = {
      {"SettingsKeyAboutURL", "AboutURL"},
      {"SettingsKeyAboutPixelWidth", "AboutPixelWidth"},
      {"SettingsKeyAboutPixelHeight", "AboutPixelHeight"},
      {"SettingsKeyAboutURLDefault", "about.htm"},
      {"SettingsKeyCloseOnKey", "CloseOnKey"},
      {"SettingsKeyShowScrollBars", "ShowScrollBars"},
      {"SettingsKeyShowCloseButton", "ShowCloseButton"},
      {"SettingsKeyHideAllTimeOut", "HideAllTimeOut"},
      {"SettingsKeyCloseOnKeyDefault", "1"},
      {"SettingsKeyCloseOnMouse", "CloseOnMouse"},
      {"SettingsKeyCloseOnMouseDefault", "1"},
      {"SettingsKeyOffLine", "OffLine"},
      {"SettingsKeyOffLineDefault", "0"},
      {"SettingsKeyActiveX", "ActiveX"},
      {"SettingsKeyPreviewURL", "PreviewURL"},
      {"SettingsKeyPropertiesURL", "PropertiesURL"},
      {"SettingsKeyPropertiesPixelWidth", "PropertiesPixelWidth"},
      {"SettingsKeyPropertiesPixelHeight", "PropertiesPixelHeight"},
      {"SettingsKeyPropertiesURLDefault", "properties.htm"},
      {"SettingsKeyStartupURLDefault", ProductPageAddress()},
      {"SettingsSectionRunTime", "RunTime"},
      {"SettingsSectionScreenSaver", "ScreenSaver"},
      {"SettingsSectionActiveXCOM", "ActiveXandCOM"},
      {"SettingsKeyStartupURL", "StartUpURL"},
      {"SettingsKeyHelpURL", "HelpURL"},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(object->Get(QString::fromLatin1(e.name)).AsText(), e.value) << e.name;
  }
  EXPECT_EQ(constants->SettingsKeyHelpURL(), "HelpURL");
  EXPECT_TRUE(ProductPageAddress().contains(u'/'));
  EXPECT_THROW(object->Put("SettingsKeyHelpURL", Variant("x")), Error) << "read-only";
}

}  // namespace
}  // namespace halcyra
