// What the harnesses share. A broken property ends the process with abort(), which libFuzzer
// treats as a crash: it stops and keeps the input that broke the property.
#ifndef VANTREL_FUZZ_FUZZ_CHECK_H_
#define VANTREL_FUZZ_FUZZ_CHECK_H_

#include <QByteArray>
#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

namespace fuzz {

// Ends the run when `holds` is false, printing the property and what broke it (control
// characters but line breaks written as \u{XX}).
inline void Require(bool holds, const char* property, const QString& detail = QString()) {
  if (holds) return;
  QString shown;
  for (const QChar c : detail) {
    if (c.category() == QChar::Other_Control && c != u'\n') {
      shown += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
    } else {
      shown += c;
    }
  }
  std::fprintf(stderr, "\nproperty broken: %s\n%s\n", property, qUtf8Printable(shown));
  std::abort();
}

// A folder of the process's own for the files a harness writes; removed when the process ends.
inline QString ScratchFolder() {
  static const QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/vantrel-fuzz-XXXXXX"));
  Require(folder.isValid(), "a scratch folder can be made", folder.errorString());
  return folder.path();
}

}  // namespace fuzz

#endif  // VANTREL_FUZZ_FUZZ_CHECK_H_
