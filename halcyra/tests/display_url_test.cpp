#include <gtest/gtest.h>

#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <csignal>
#include <memory>

#include "halcyra/common.h"
#include "platform/component/class_factory.h"
#include "platform/component/error.h"
#include "testing/fake_desktop.h"
#include "testing/testutil.h"

namespace halcyra {
namespace {

using halcyra_test::FakeDesktop;

class DisplayUrlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    common_ = std::dynamic_pointer_cast<_common>(component::CreateObject("halcyra.common"));
    ASSERT_NE(common_, nullptr);
  }

  QString TempFile() const { return desktop_.TempFolder() + "/displurl.htm"; }

  FakeDesktop desktop_;
  std::shared_ptr<_common> common_;
};

TEST_F(DisplayUrlTest, WithoutAssociatedProgramNothingStartsAndNoFileRemains) {
  desktop_.AssociateNothing();
  // Were the address ever run as a command, the recording browser itself would start.
  common_->DisplayURL(desktop_.BrowserPath());
  EXPECT_FALSE(QFile::exists(TempFile()));
  EXPECT_EQ(desktop_.XdgMimeLog(), QStringList({"query default text/html", "temp file present"}))
      << "the lookup ran while the temporary file existed";

  EXPECT_THROW(common_->APIFindExecutable(desktop_.TempFolder(), "displurl.htm"), component::Error);

  // A later call that does open a browser is the only run.
  desktop_.AssociateBrowser();
  common_->DisplayURL("https://second.test/");
  const std::vector<QStringList> runs = desktop_.WaitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], QStringList({"https://second.test/"}));
  EXPECT_FALSE(QFile::exists(TempFile()));
}

// A full disk, made real: a file size limit of zero lets the file be created but not written.
TEST_F(DisplayUrlTest, AFileCreatedButNotWrittenIsRemovedToo) {
  desktop_.AssociateNothing();
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit none = saved;
  none.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
  common_->DisplayURL("https://full.test/");
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(QFile::exists(TempFile()));
}

TEST_F(DisplayUrlTest, ShellMetacharactersReachTheBrowserAsOneUnchangedArgument) {
  desktop_.AssociateBrowser(R"("fakebrowser" --new-tab %u)");
  const QString marker = desktop_.Path("pwned");
  const QString url = "https://x.test/a b?q='quoted'&r=\"dq\"&&touch " + marker + "1;$(touch " +
                      marker + "2) `touch " + marker + "3` | touch " + marker + "4 %u \\ \n>" +
                      marker + "5";
  common_->DisplayURL(url);
  const std::vector<QStringList> runs = desktop_.WaitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], QStringList({"--new-tab", url}));
  for (int i = 1; i <= 5; ++i) {
    EXPECT_FALSE(QFile::exists(marker + QString::number(i))) << "command " << i << " ran";
  }
  EXPECT_FALSE(QFile::exists(TempFile()));
}

TEST_F(DisplayUrlTest, AddressThatLooksLikeAnOptionIsNotHandedOver) {
  desktop_.AssociateBrowser();
  common_->DisplayURL("--utility-cmd-prefix=touch " + desktop_.Path("pwned"));
  common_->DisplayURL("https://after.test/");
  const std::vector<QStringList> runs = desktop_.WaitForRuns(1);
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0], QStringList({"https://after.test/"}));
  EXPECT_FALSE(QFile::exists(TempFile()));
}

TEST_F(DisplayUrlTest, LinkUnderTheTemporaryNameIsNotWrittenThroughNorRemoved) {
  desktop_.AssociateBrowser();
  const QString victim = desktop_.Path("victim.txt");
  component::test_support::WriteFileContents(victim, "keep me");
  ASSERT_TRUE(QFile::link(victim, TempFile()));
  common_->DisplayURL("https://linked.test/");
  desktop_.WaitForRuns(1);
  EXPECT_EQ(component::test_support::FileContents(victim), "keep me");
  EXPECT_TRUE(QFileInfo(TempFile()).isSymLink());
}

TEST_F(DisplayUrlTest, FindExecutableGivesTheAbsolutePathOfTheAssociatedProgram) {
  desktop_.AssociateBrowser();
  const QString page = desktop_.Path("page.htm");
  component::test_support::WriteFileContents(page, "");
  EXPECT_EQ(common_->APIFindExecutable(desktop_.Path(""), "page.htm"), desktop_.BrowserPath());
  EXPECT_EQ(common_->Call("APIFindExecutable", {component::Variant("/"), component::Variant(page)})
                .AsText(),
            desktop_.BrowserPath());
  EXPECT_EQ(component::test_support::ErrorThrownBy([&] {
              common_->APIFindExecutable(desktop_.Path(""), "missing.htm");
            }).number(),
            component::kFileNotFound)
      << "a missing file has no program";
}

}  // namespace
}  // namespace halcyra
