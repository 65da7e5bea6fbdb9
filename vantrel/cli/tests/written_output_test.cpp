// What the command line writes, tried as a careless or hostile user would: a full disk, a closed
// pipe, links and other files planted where a report or snapshot goes, and arguments that no
// file name can be. A failed write is exit 2 with one line, and nothing Vantrel did not write is
// ever replaced.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "testing/sqlite_test_file.h"
#include "testing/testutil.h"
#include "vantrel/cli/tests/cli_process.h"
#include "vantrel/core/output_file.h"

namespace vantrel::cli {
namespace {

using component::test_support::FileContents;
using component::test_support::WriteFileContents;
using test_support::Result;
using test_support::RunCli;

// A reference and a target that differ in one column.
struct Pair {
  dataaccess::test_support::SqliteTestFolder folder;
  QString reference = folder.CreateDatabase("app.db", "CREATE TABLE a (x int, y text);");
  QString target = folder.CreateDatabase("t2.db", "CREATE TABLE a (x int);");
};

// Fills the file system of `folder` until a write fails.
void Fill(const QString& folder) {
  QFile filler(QDir(folder).filePath("filler"));
  ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
  const QByteArray block(4096, 'x');
  while (filler.write(block) == block.size() && filler.flush()) {
  }
}

// A report or snapshot goes where something else already stands: it replaces only an earlier
// one of its own or an empty file, and never follows a link.
TEST(WrittenOutputTest, NothingButAnEarlierOutputIsReplaced) {
  enum Planted { kLinkToNotes, kLinkToDatabase, kFolder, kOtherFile, kEarlierOutput, kEmptyFile };
  const struct {
    Planted planted;
    bool replaced;
  } rows[] = {{kLinkToNotes, false}, {kLinkToDatabase, false}, {kFolder, false},
              {kOtherFile, false},   {kEarlierOutput, true},   {kEmptyFile, true}};
  for (const bool snapshot : {false, true}) {
    for (const auto& row : rows) {
      const std::string what = std::to_string(row.planted) + (snapshot ? " snapshot" : " report");
      Pair pair;
      const QString out = pair.folder.PathOf("out");
      ASSERT_TRUE(QDir().mkpath(out));
      const QString notes = pair.folder.PathOf("notes.txt");
      WriteFileContents(notes, "my notes\n");
      const QString other_database =
          pair.folder.CreateDatabase("other.db", "CREATE TABLE o (z int);");
      const QString name = QDir(out).filePath(snapshot ? "schema.json" : "t2.db.txt");
      const QString earlier =
          snapshot ? QString::fromUtf8(RunCli({"snapshot", pair.target}).out)
                   : QString::fromUtf8(RunCli({"compare", pair.reference, pair.target}).out);
      switch (row.planted) {
        case kLinkToNotes:
          ASSERT_TRUE(QFile::link(notes, name));
          break;
        case kLinkToDatabase:
          ASSERT_TRUE(QFile::link(other_database, name));
          break;
        case kFolder:
          ASSERT_TRUE(QDir().mkpath(name));
          break;
        case kOtherFile:
          WriteFileContents(name, "a file of the user's\n");
          break;
        case kEarlierOutput:
          WriteFileContents(name, earlier.toUtf8());
          break;
        case kEmptyFile:
          WriteFileContents(name, "");
          break;
      }
      const QByteArray database = FileContents(other_database);
      const QByteArray other = row.planted == kOtherFile ? FileContents(name) : QByteArray();
      const Result result = snapshot
                                ? RunCli({"snapshot", "-o", name, pair.reference})
                                : RunCli({"check", "--reports", out, pair.reference, pair.target});
      EXPECT_EQ(FileContents(notes), "my notes\n") << what;
      EXPECT_EQ(FileContents(other_database), database) << what;
      if (row.planted == kOtherFile) {
        EXPECT_EQ(FileContents(name), other) << what;
      }
      if (row.planted == kFolder) {
        EXPECT_TRUE(QFileInfo(name).isDir()) << what;
      }
      const QByteArray written =
          snapshot ? RunCli({"snapshot", pair.reference}).out
                   : RunCli({"compare", "--name2", "t2.db", pair.reference, pair.target}).out;
      if (row.replaced) {
        EXPECT_EQ(result.exit_code, snapshot ? 0 : 1) << what << result.err.toStdString();
        EXPECT_EQ(FileContents(name), written) << what;
      } else if (snapshot) {
        EXPECT_EQ(result.exit_code, 2) << what;
        EXPECT_TRUE(result.err.contains("will not write the snapshot")) << what;
      } else {
        EXPECT_EQ(result.exit_code, 1) << what << result.err.toStdString();
        EXPECT_EQ(FileContents(QDir(out).filePath("t2.db-2.txt")), written) << what;
        EXPECT_TRUE(result.err.contains("as it is; the report is '")) << what;
      }
      EXPECT_EQ(result.err.count('\n'), row.replaced ? 0 : 1) << what << result.err.toStdString();
      EXPECT_TRUE(QDir(out).entryList({"*.tmp-*"}, QDir::AllEntries).isEmpty()) << what;
    }
  }
}

// A JSON report keeps its "format" after its differences (its keys come in name order): an
// earlier one longer than what is read of a file's start is still recognised and replaced.
TEST(WrittenOutputTest, ALongEarlierJsonReportIsReplaced) {
  dataaccess::test_support::SqliteTestFolder folder;
  QByteArray tables;
  for (int i = 0; i < 800; ++i) tables += "CREATE TABLE t" + QByteArray::number(i) + " (a int);";
  const QString reference = folder.CreateDatabase("ref.db", tables.constData());
  const QString target = folder.CreateDatabase("t.db", "CREATE TABLE x (a int);");
  const QString reports = folder.PathOf("reports");
  for (int run = 0; run < 2; ++run) {
    const Result result =
        RunCli({"check", "--format", "json", "--reports", reports, reference, target});
    EXPECT_EQ(result.exit_code, 1) << result.err.toStdString();
    EXPECT_EQ(result.err, "") << run;
  }
  EXPECT_EQ(QDir(reports).entryList(QDir::Files), QStringList{"t.db.json"});
  EXPECT_GT(QFileInfo(QDir(reports).filePath("t.db.json")).size(), kRecognisedEnd);
}

// A full disk: exit 2 and one line, the earlier snapshot or report as it was, nothing half
// written left behind.
TEST(WrittenOutputTest, AFullDiskIsExitTwoAndLeavesTheEarlierFile) {
  Pair pair;
  const QString disk = pair.folder.PathOf("disk");
  ASSERT_TRUE(QDir().mkpath(disk));
  if (::mount("tmpfs", QFile::encodeName(disk).constData(), "tmpfs", 0, "size=64k") != 0) {
    GTEST_SKIP() << "cannot mount a small file system here (needs root): " << strerror(errno);
  }
  const QString snapshot = QDir(disk).filePath("schema.json");
  const QString reports = QDir(disk).filePath("reports");
  ASSERT_EQ(RunCli({"snapshot", "-o", snapshot, pair.target}).exit_code, 0);
  ASSERT_TRUE(QDir().mkpath(reports));
  ASSERT_EQ(RunCli({"check", "--reports", reports, pair.reference, pair.target}).exit_code, 1);
  const QString report = QDir(reports).filePath("t2.db.txt");
  const QString script = QDir(disk).filePath("migrate.sql");
  ASSERT_NE(RunCli({"migrate", "-o", script, pair.reference, pair.target}).exit_code, 2);
  const QByteArray old_script = FileContents(script);
  const QByteArray old_snapshot = FileContents(snapshot);
  const QByteArray old_report = FileContents(report);
  WriteFileContents(report, "Table: 'an earlier report'\n\n");
  Fill(disk);
  const struct {
    QStringList arguments;
    const QString* file;
    QByteArray before;
  } rows[] = {
      {{"snapshot", "-o", snapshot, pair.reference}, &snapshot, old_snapshot},
      {{"check", "--reports", reports, pair.reference, pair.target},
       &report,
       "Table: 'an earlier report'\n\n"},
      {{"check", "--format", "json", "--reports", reports, pair.reference, pair.target},
       nullptr,
       {}},
      {{"check", "--format", "html", "--reports", reports, pair.reference, pair.target},
       &report,
       "Table: 'an earlier report'\n\n"},
      {{"migrate", "-o", script, pair.target, pair.reference}, &script, old_script},
  };
  for (const auto& row : rows) {
    const Result result = RunCli(row.arguments);
    EXPECT_EQ(result.exit_code, 2) << row.arguments.join(' ').toStdString();
    EXPECT_EQ(result.err.count('\n'), 1) << result.err.toStdString();
    EXPECT_TRUE(result.err.contains("No space left on device")) << result.err.toStdString();
    if (row.file) {
      EXPECT_EQ(FileContents(*row.file), row.before) << row.file->toStdString();
    }
    EXPECT_TRUE(QDir(reports).entryList({"*.tmp-*", "*.json", "*.html"}, QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(disk).entryList({"*.tmp-*"}, QDir::Files).isEmpty());
  }
  EXPECT_NE(old_report, QByteArray());
  ::umount2(QFile::encodeName(disk).constData(), MNT_DETACH);
}

// Standard output that cannot be written: a full device, a pipe whose reader has gone.
TEST(WrittenOutputTest, AFailedStandardOutputIsExitTwoWithOneLine) {
  Pair pair;
  const QStringList commands[] = {
      {"compare", pair.reference, pair.target},
      {"compare", "--format", "json", pair.reference, pair.target},
      {"compare", "--format", "html", pair.reference, pair.target},
      {"check", pair.reference, pair.target},
      {"check", "--format", "json", pair.reference, pair.target},
      {"check", "--format", "html", pair.reference, pair.target},
      {"snapshot", pair.reference},
      {"migrate", pair.reference, pair.target},
      {"migrate", "--format", "json", pair.reference, pair.target},
  };
  const struct {
    const char* sink;
    const char* shell;
    const char* reason;
  } sinks[] = {
      {"/dev/full", R"("$0" "$@" > /dev/full)", "No space left on device"},
      {"a closed pipe", R"("$0" "$@" | (exec 0<&-; sleep 1); exit "${PIPESTATUS[0]}")",
       "Broken pipe"},
  };
  for (const auto& sink : sinks) {
    for (const QStringList& command : commands) {
      const Result result = RunCli(command, {"/bin/bash", "-c", sink.shell});
      const std::string what = sink.sink + (": " + command.join(' ').toStdString());
      EXPECT_EQ(result.exit_code, 2) << what;
      EXPECT_EQ(result.err,
                QByteArray("vantrel-cli: cannot write to standard output: ") + sink.reason + "\n")
          << what;
    }
  }
}

// Arguments that no file name, folder or number can be: refused with one line, exit 2, before
// anything is read.
TEST(CheckCommandTest, ArgumentsThatNameNothingAreRefusedWithOneLine) {
  Pair pair;
  const QString with_nul = pair.folder.PathOf("targets-nul.txt");
  WriteFileContents(with_nul, QByteArray("t2.db\0.other\n", 13));
  const struct {
    QStringList arguments;
    const char* said = nullptr;
  } rows[] = {
      {{"--targets", with_nul}, "line 1 of the targets file"},
      {{"--targets", "no\x1b[2J\nFAKE: identical"},
       "cannot read the targets file 'no\\e[2J\\nFAKE"},
      {{"--reports", "", pair.target}, "--reports names no folder"},
      {{"--jobs", "0", pair.target}, "--jobs takes a whole number from 1 to 256, not '0'"},
      {{"--jobs", "-1", pair.target}, "--jobs takes a whole number from 1 to 256"},
      {{"--jobs", "abc", pair.target}, "--jobs takes a whole number from 1 to 256, not 'abc'"},
      {{"--jobs", "", pair.target}, "--jobs takes a whole number from 1 to 256, not ''"},
      {{"--jobs", "257", pair.target}, "--jobs takes a whole number from 1 to 256"},
  };
  for (const auto& row : rows) {
    const Result result = RunCli(QStringList{"check", pair.reference} + row.arguments);
    const std::string what = row.arguments.join(' ').toStdString();
    EXPECT_EQ(result.exit_code, 2) << what;
    EXPECT_EQ(result.out, "") << what;
    EXPECT_EQ(result.err.count('\n'), 1) << what << result.err.toStdString();
    EXPECT_TRUE(result.err.contains(row.said)) << what << "\n" << result.err.toStdString();
    EXPECT_FALSE(result.err.contains('\x1b')) << what;
  }
}

// A file whose name is not UTF-8 is read by its own bytes, named with them escaped, and a
// snapshot written under such a name is read back.
TEST(CheckCommandTest, AFileWhoseNameIsNotUtf8IsReadByItsBytes) {
  Pair pair;
  // Arguments that are not UTF-8 reach the program only through a shell.
  const char* const script = R"sh(
    cli=$0; dir=$1; ref=$2; target=$3
    bad="$dir/bad$(printf '\377').db"; snapshot="$dir/snap$(printf '\376').json"
    cp "$target" "$bad"
    "$cli" compare "$ref" "$bad"; echo "compare $?"
    "$cli" check "$ref" "$bad"; echo "check $?"
    printf '%s\n' "$bad" > "$dir/list"; "$cli" check "$ref" --targets "$dir/list"; echo "list $?"
    "$cli" snapshot "$ref" -o "$snapshot"; echo "snapshot $?"
    "$cli" compare "$snapshot" "$ref"; echo "again $?"
  )sh";
  const Result result =
      RunCli({pair.folder.PathOf(""), pair.reference, pair.target}, {"/bin/bash", "-c", script});
  const QString out = QString::fromUtf8(result.out);
  for (const char* status : {"compare 1", "check 1", "list 1", "snapshot 0", "again 0"}) {
    EXPECT_TRUE(out.contains(QString::fromLatin1(status) + u'\n'))
        << status << "\n"
        << result.out.toStdString() << result.err.toStdString();
  }
  EXPECT_TRUE(out.contains("bad\\xff.db.bad\\xff.a'\n")) << result.out.toStdString();
  EXPECT_TRUE(out.contains("bad\\xff.db: 3 differences")) << result.out.toStdString();
  EXPECT_EQ(result.err, "") << result.err.toStdString();
}

// Targets in different folders under one file name are told apart by their folders, and the
// reference keeps its own name in the report the group shares, though it holds theirs.
TEST(CheckCommandTest, TargetsOfOneFileNameAreNamedByTheirFolders) {
  dataaccess::test_support::SqliteTestFolder folder;
  for (const char* sub : {"golden", "dev1", "dev2", "dev3"}) {
    ASSERT_TRUE(QDir().mkpath(folder.PathOf(sub)));
  }
  const QString reference =
      folder.CreateDatabase("golden/app.db", "CREATE TABLE a (x int, y text);");
  const QStringList targets = {
      folder.CreateDatabase("dev1/app.db", "CREATE TABLE a (x int);"),
      folder.CreateDatabase("dev2/app.db", "CREATE TABLE a (x int);"),
      folder.CreateDatabase("dev3/app.db", "CREATE TABLE a (x int, y text);")};
  const QString reports = folder.PathOf("reports");
  const Result result = RunCli(QStringList{"check", "--reports", reports, reference} + targets);
  EXPECT_EQ(result.exit_code, 1) << result.err.toStdString();
  const QString out = QString::fromUtf8(result.out);
  EXPECT_TRUE(
      out.startsWith("dev1/app.db: 3 differences\ndev2/app.db: 3 differences\n"
                     "dev3/app.db: identical\n\n"
                     "2 targets differ the same way: dev1/app.db, dev2/app.db\n\n"))
      << out.toStdString();
  EXPECT_TRUE(out.contains("Field: 'y' exists in table '" + reference +
                           ".app.a', but not in "
                           "'<target>.a'"))
      << out.toStdString();
  EXPECT_FALSE(out.contains("golden/<target>")) << out.toStdString();
  EXPECT_EQ(QDir(reports).entryList(QDir::Files),
            (QStringList{"dev1_app.db.txt", "dev2_app.db.txt"}));
}

// Where the system gives the process no more threads, the targets are still all checked.
TEST(CheckCommandTest, AProcessLimitMeansFewerWorkersNotACrash) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  QTemporaryDir dir(QDir::tempPath() + "/vantrel-limit-XXXXXX");
  ASSERT_TRUE(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                    QFileDevice::ExeOther));
  Pair pair;
  QStringList arguments = {"check", "--jobs", "64", pair.reference};
  for (int i = 0; i < 6; ++i) {
    const QString copy = dir.filePath(QStringLiteral("t%1.db").arg(i));
    ASSERT_TRUE(QFile::copy(i % 2 ? pair.target : pair.reference, copy));
    arguments.append(copy);
  }
  const QString reference = dir.filePath("ref.db");
  ASSERT_TRUE(QFile::copy(pair.reference, reference));
  arguments[3] = reference;
  const Result result =
      RunCli(arguments, {"runuser", "-u", "nobody", "--", "env", "XDG_CONFIG_HOME=" + dir.path(),
                         "/bin/bash", "-c", "ulimit -u 1; exec \"$0\" \"$@\""});
  EXPECT_EQ(result.exit_code, 1) << result.err.toStdString();
  EXPECT_TRUE(result.out.endsWith("6 targets: 3 identical, 3 differ, 0 could not be compared\n"))
      << result.out.toStdString() << result.err.toStdString();
}

}  // namespace
}  // namespace vantrel::cli
