// A desktop of test doubles in temporary folders: a fake `xdg-mime` and a fake browser first on
// PATH, the applications folder for their desktop entry, and the temporary, data and
// configuration folders, all set in the environment for the life of the object.
//
// The fake xdg-mime logs each query (and whether the temporary file "displurl.htm" existed at
// that moment) and answers with whatever AssociateBrowser or AssociateNothing set. The fake
// browser records the arguments of each run in a file of its own, so a test can count the runs
// and see every argument exactly as it arrived.
#ifndef VANTREL_TESTING_FAKE_DESKTOP_H_
#define VANTREL_TESTING_FAKE_DESKTOP_H_

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <vector>

#include "testing/testutil.h"

namespace halcyra_test {

class FakeDesktop {
 public:
  FakeDesktop() {
    for (const char* folder : {"bin", "runs", "data/applications", "tmp", "config", "log"}) {
      QDir().mkpath(Path(folder));
    }
    WriteScript(Path("bin/xdg-mime"), "printf '%s\\n' \"$*\" >> '" + Path("log/xdg-mime") + "'\n" +
                                          "if [ -f '" + Path("tmp/displurl.htm") +
                                          "' ]; then echo 'temp file present' >> '" +
                                          Path("log/xdg-mime") + "'; fi\n" + "cat '" +
                                          Path("log/answer") + "' 2>/dev/null\n");
    WriteScript(BrowserPath(),
                "out='" + Path("runs/run") + ".'$$\n" +
                    ": > \"$out.part\"\n"
                    "for a in \"$@\"; do printf '%s\\0' \"$a\" >> \"$out.part\"; done\n"
                    "mv \"$out.part\" \"$out\"\n");
    environment_.Set("PATH", Local(Path("bin")) + ":" + qgetenv("PATH").toStdString());
    environment_.Set("XDG_DATA_HOME", Local(Path("data")));
    // The system folders stay after it: they hold the MIME type database.
    environment_.Set("XDG_DATA_DIRS", Local(Path("data")) + ":/usr/local/share:/usr/share");
    environment_.Set("TMPDIR", Local(Path("tmp")));
    environment_.Set("XDG_CONFIG_HOME", Local(Path("config")));
  }

  QString Path(const QString& relative) const { return QDir(root_.path()).filePath(relative); }
  QString TempFolder() const { return Path("tmp"); }
  // The fake browser; it is also on PATH as "fakebrowser".
  QString BrowserPath() const { return Path("bin/fakebrowser"); }

  // Makes `exec` the command of the default application for every type.
  void AssociateBrowser(const QString& exec = QStringLiteral("fakebrowser %u")) {
    component::test_support::WriteFileContents(
        Path("data/applications/fakebrowser.desktop"),
        "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + exec.toUtf8() + "\n");
    component::test_support::WriteFileContents(Path("log/answer"), "fakebrowser.desktop\n");
  }
  void AssociateNothing() { QFile::remove(Path("log/answer")); }

  // What xdg-mime was asked, one line per query, plus "temp file present" lines.
  QStringList XdgMimeLog() const {
    QFile file(Path("log/xdg-mime"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
  }

  // The arguments of each finished browser run so far.
  std::vector<QStringList> Runs() const {
    std::vector<QStringList> runs;
    const QDir folder(Path("runs"));
    for (const QString& name : folder.entryList({"run.*"}, QDir::Files)) {
      if (name.endsWith(".part")) continue;
      QFile file(folder.filePath(name));
      if (!file.open(QIODevice::ReadOnly)) continue;
      QStringList arguments;
      for (const QByteArray& argument : file.readAll().split('\0')) {
        arguments.append(QString::fromUtf8(argument));
      }
      arguments.removeLast();  // after the last NUL
      runs.push_back(arguments);
    }
    return runs;
  }

  // Waits until `count` runs have finished; fails the test if that takes more than a minute.
  std::vector<QStringList> WaitForRuns(size_t count) const {
    QElapsedTimer timer;
    timer.start();
    while (Runs().size() < count && timer.elapsed() < 60000) QThread::msleep(20);
    const std::vector<QStringList> runs = Runs();
    EXPECT_GE(runs.size(), count) << "the browser did not run";
    return runs;
  }

 private:
  static std::string Local(const QString& path) { return QFile::encodeName(path).toStdString(); }

  static void WriteScript(const QString& path, const QString& body) {
    component::test_support::WriteFileContents(path, "#!/bin/sh\n" + body.toUtf8());
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::ExeOwner |
                                    QFileDevice::ExeGroup | QFileDevice::ExeOther);
  }

  QTemporaryDir root_;
  component::test_support::ScopedEnvironment environment_;
};

}  // namespace halcyra_test

#endif  // VANTREL_TESTING_FAKE_DESKTOP_H_
