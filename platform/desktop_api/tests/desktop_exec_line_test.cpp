#include "platform/desktop_api/desktop_exec_line.h"

#include <gtest/gtest.h>

namespace desktop_api {
namespace {

TEST(DesktopExecLineTest, SplitsByTheEntryQuotingRules) {
  const struct {
    const char* exec = nullptr;
    QStringList words;
  } cases[] = {
      {"firefox %u", {"firefox", "%u"}},
      {"  /usr/bin/browser\t--new-window   %U ", {"/usr/bin/browser", "--new-window", "%U"}},
      {R"("/opt/My Browser/run" %u)", {"/opt/My Browser/run", "%u"}},
      // The file's own escapes come first (\\ is one backslash), then the quoting escapes.
      {R"(sh "-c" "echo \\$HOME \\"q\\"" %f)", {"sh", "-c", R"(echo $HOME "q")", "%f"}},
      {R"(run\sthis "and\sthat" %u)", {"run", "this", "and that", "%u"}},
      {R"(prog "")", {"prog", ""}},
  };
  for (const auto& c : cases) {
    const std::optional<QStringList> words = SplitExecLine(QString::fromUtf8(c.exec));
    ASSERT_TRUE(words.has_value()) << c.exec;
    EXPECT_EQ(*words, c.words) << c.exec;
  }
  for (const char* bad : {"", "   ", R"("unclosed %u)", R"("" %u)"}) {
    EXPECT_FALSE(SplitExecLine(QString::fromUtf8(bad)).has_value()) << bad;
  }
}

TEST(DesktopExecLineTest, TargetReplacesFileCodesAsOneArgument) {
  const QString target = QStringLiteral("https://x.test/?a=1&b='2' $(id) `id` ; %u");
  EXPECT_EQ(ExpandFieldCodes({"--new-tab", "%u"}, target), QStringList({"--new-tab", target}));
  EXPECT_EQ(ExpandFieldCodes({"%U"}, target), QStringList({target}));
  EXPECT_EQ(ExpandFieldCodes({"--url=%f"}, target), QStringList({"--url=" + target}));
  EXPECT_EQ(ExpandFieldCodes({"%i", "%c", "--x", "%k"}, target), QStringList({"--x", target}))
      << "other codes go, and without a file code the target comes last";
  EXPECT_EQ(ExpandFieldCodes({"100%%", "%F"}, target), QStringList({"100%", target}));
  EXPECT_EQ(ExpandFieldCodes({"%u"}, QString()), QStringList({QString()}));
}

}  // namespace
}  // namespace desktop_api
