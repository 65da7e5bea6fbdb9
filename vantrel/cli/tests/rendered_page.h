// An HTML report as a browser holds it: Chromium (headless) opens the page, runs its script and
// gives back its DOM, and the differences on it are read from that DOM.
#ifndef VANTREL_VANTREL_CLI_TESTS_RENDERED_PAGE_H_
#define VANTREL_VANTREL_CLI_TESTS_RENDERED_PAGE_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <vector>

namespace vantrel::test_support {

// The DOM of the page at `path` once its script has run, as Chromium serialises it; `fragment`
// is the part of the address after '#'.
inline QString RenderedDom(const QString& path, const QString& fragment = {}) {
  const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
  EXPECT_FALSE(chromium.isEmpty()) << "chromium is not installed (scripts/install-deps.sh)";
  if (chromium.isEmpty()) return QString();
  QTemporaryDir profile;
  QString address = QUrl::fromLocalFile(path).toString();
  if (!fragment.isEmpty()) address += u'#' + fragment;
  QProcess browser;
  browser.start(chromium,
                {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile.path(), "--dump-dom", address});
  EXPECT_TRUE(browser.waitForFinished(120000)) << address.toStdString();
  QString dom = QString::fromUtf8(browser.readAllStandardOutput());
  EXPECT_TRUE(dom.contains(QStringLiteral("data-filters-ready=\"yes\"")))
      << "the page's own script did not run: " << address.toStdString() << "\n"
      << dom.left(2000).toStdString();
  return dom;
}

struct ShownRow {
  QString kind;
  bool hidden = false;
  QString text;  // the row's text, tags left out and <, >, & as written
};

// The differences on the page: each one's kind, whether it is hidden, and its text.
inline std::vector<ShownRow> ShownDifferences(const QString& dom) {
  static const QRegularExpression row(
      QStringLiteral("<tbody class=\"difference[^\"]*\" data-kind=\"([^\"]*)\"[^>]*?( hidden=\"\")?"
                     ">(.*?)</tbody>"),
      QRegularExpression::DotMatchesEverythingOption);
  static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
  std::vector<ShownRow> rows;
  for (auto match = row.globalMatch(dom); match.hasNext();) {
    const auto found = match.next();
    QString text = found.captured(3);
    text.replace(tag, QStringLiteral(" "));
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    text.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    text.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    rows.push_back({found.captured(1), !found.captured(2).isEmpty(), text.simplified()});
  }
  return rows;
}

}  // namespace vantrel::test_support

#endif  // VANTREL_VANTREL_CLI_TESTS_RENDERED_PAGE_H_
