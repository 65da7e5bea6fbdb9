// The HTML report as a person sees it: opened in a real browser (Chromium, headless), whose DOM
// after the page's script ran is read back. Names from a database must stay text, every kind of
// difference must show both values, and the filter and search must choose what is shown.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTemporaryDir>

#include "testing/sqlite_test_file.h"
#include "testing/testutil.h"
#include "vantrel/cli/tests/cli_process.h"
#include "vantrel/cli/tests/rendered_page.h"

namespace vantrel::cli {
namespace {

using dataaccess::test_support::SqliteTestFolder;
using test_support::Result;
using test_support::RunCli;
using vantrel::test_support::RenderedDom;
using vantrel::test_support::ShownDifferences;
using vantrel::test_support::ShownRow;

// Writes what `arguments` print to `name` in `folder`.
QString Page(const SqliteTestFolder& folder, const QString& name, const QStringList& arguments,
             int expected_status = 1) {
  const Result result = RunCli(arguments);
  EXPECT_EQ(result.exit_code, expected_status) << result.err.toStdString();
  QString path = folder.PathOf(name);
  component::test_support::WriteFileContents(path, result.out);
  return path;
}

const char kPrimary[] = R"sql(
CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(50) NOT NULL COLLATE NOCASE,
                        status TEXT DEFAULT 'unknown', phone VARCHAR(24));
CREATE UNIQUE INDEX customer_names ON customers (name);
CREATE TABLE orders (id INTEGER PRIMARY KEY,
                     customer INTEGER REFERENCES customers (id) ON DELETE CASCADE,
                     amount DECIMAL(10,2) CHECK (amount >= 0));
CREATE TRIGGER keep_name BEFORE UPDATE OF name ON customers BEGIN SELECT 1; END;
CREATE VIEW big_orders AS SELECT id FROM orders WHERE amount > 100;
CREATE TABLE audit (at TEXT);
)sql";

const char kSecondary[] = R"sql(
CREATE TABLE customers (id INTEGER PRIMARY KEY, name VARCHAR(40), status TEXT);
CREATE TABLE orders (id INTEGER PRIMARY KEY, customer INTEGER REFERENCES customers (id),
                     amount DECIMAL(8,2));
CREATE TABLE archive (id INTEGER);
)sql";

// Every kind a comparison of two SQLite files finds is on the page, once, with the primary's
// value and the secondary's side by side as --details gives them, and as many as the JSON of the
// same run holds once each.
TEST(HtmlReportTest, EveryKindShowsBothValuesOnce) {
  SqliteTestFolder folder;
  const QString a = folder.CreateDatabase("a.db", kPrimary);
  const QString b = folder.CreateDatabase("b.db", kSecondary);
  const QStringList compare = {"compare", "--objects", "all", "--name1", "A", "--name2", "B", a, b};
  const QString page = Page(folder, "report.html",
                            QStringList(compare) << "--format"
                                                 << "html");
  const std::vector<ShownRow> rows = ShownDifferences(RenderedDom(page));

  const struct {
    const char* kind;
    const char* text;  // what the row shows, values in primary, secondary order
  } expected[] = {
      {"Field", "name differs Required yes no"},
      {"Field", "Size 50 40"},
      {"Field", "Collation NOCASE BINARY"},
      {"Field", "status differs Default Value 'unknown' none"},
      {"Field", "phone only in the primary Data Type VARCHAR(24) missing"},
      {"Index", "customer_names"},
      {"Foreign Key", "On Delete CASCADE NO ACTION"},
      {"Field", "amount differs Size 10,2 8,2"},
      {"Check", "amount >= 0 only in the primary"},
      {"Trigger", "keep_name"},
      {"View", "only in the primary View present missing"},
      {"Table", "only in the primary Table present missing"},
      {"Table", "only in the secondary Table missing present"},
  };
  for (const auto& want : expected) {
    const bool found = std::any_of(rows.begin(), rows.end(), [&](const ShownRow& row) {
      return row.kind == QLatin1String(want.kind) && row.text.contains(QLatin1String(want.text));
    });
    EXPECT_TRUE(found) << want.kind << ": " << want.text;
  }

  // Each difference once: the JSON's paragraphs, less the second walk's copies of a difference
  // in properties and the count of fields, which the fields' own rows say.
  const QJsonArray json = QJsonDocument::fromJson(RunCli(QStringList(compare) << "--format"
                                                                              << "json")
                                                      .out)
                              .object()["differences"]
                              .toArray();
  qsizetype once = 0;
  for (const auto& value : json) {
    const QJsonObject difference = value.toObject();
    const QString kind = difference["kind"].toString();
    if (kind == u"field-count") continue;
    if (kind.endsWith(u"-properties") && difference["side"].toString() == u"secondary") continue;
    ++once;
  }
  EXPECT_EQ(static_cast<qsizetype>(rows.size()), once);
  for (const ShownRow& row : rows) EXPECT_FALSE(row.hidden) << row.text.toStdString();
}

// Names, values and definitions from a database are text on the page: none of them runs a
// script, opens an element or escapes an attribute, and each reads as it was written.
TEST(HtmlReportTest, HostileNamesStayText) {
  SqliteTestFolder folder;
  const char* const mark = "document.body.dataset.pwned=1";
  const QByteArray table = QByteArray("<script>") + mark + "</script>";
  const QByteArray field = QByteArray("\" onmouseover=\"") + mark;
  const QByteArray index = QByteArray("<img src=x onerror=\"") + mark + "\">";
  const QByteArray fallback = QByteArray("'</td><script>") + mark + "</script>'";
  auto quoted = [](QByteArray name) { return '"' + name.replace("\"", "\"\"") + '"'; };
  const QByteArray a = "CREATE TABLE " + quoted(table) + " (" + quoted(field) + " TEXT DEFAULT " +
                       fallback + ");" + "CREATE INDEX " + quoted(index) + " ON " + quoted(table) +
                       " (" + quoted(field) + ");";
  const QByteArray b = "CREATE TABLE " + quoted(table) + " (" + quoted(field) + " INTEGER);";
  const QString first = folder.CreateDatabase("a.db", a.constData());
  const QString second = folder.CreateDatabase("b.db", b.constData());
  const QString name = QString::fromUtf8(QByteArray("B<b>\"") + mark);
  const QString page =
      Page(folder, "report.html",
           {"compare", "--objects", "all", "--format", "html", "--name2", name, first, second});
  const QString dom = RenderedDom(page);

  EXPECT_FALSE(dom.contains(QStringLiteral("data-pwned"))) << dom.toStdString();
  EXPECT_EQ(dom.count(QStringLiteral("<script")), 1) << dom.toStdString();
  EXPECT_FALSE(dom.contains(QStringLiteral("<img"))) << dom.toStdString();
  EXPECT_FALSE(dom.contains(QStringLiteral("<b>"))) << dom.toStdString();
  static const QRegularExpression handler(QStringLiteral("<[a-z]+[^<>]*\\son[a-z]+="));
  EXPECT_FALSE(handler.match(dom).hasMatch()) << handler.match(dom).captured().toStdString();
  // Seen as written (the serialiser writes <, > and & of a text as references).
  for (const char* text :
       {"Table &lt;script&gt;document.body.dataset.pwned=1&lt;/script&gt;",
        "\" onmouseover=\"document.body.dataset.pwned=1",
        "(&lt;img src=x onerror=\"document.body.dataset.pwned=1\"&gt;)",
        "'&lt;/td&gt;&lt;script&gt;document.body.dataset.pwned=1&lt;/script&gt;'",
        "Secondary: B&lt;b&gt;\"document.body.dataset.pwned=1"}) {
    EXPECT_TRUE(dom.contains(QString::fromUtf8(text))) << text;
  }
}

// The filter by kind and the search choose the rows shown, each from a link to the page too;
// a search matches a table's name for its rows.
TEST(HtmlReportTest, FilterAndSearchChooseWhatIsShown) {
  SqliteTestFolder folder;
  const QString a = folder.CreateDatabase("a.db", kPrimary);
  const QString b = folder.CreateDatabase("b.db", kSecondary);
  const QString page =
      Page(folder, "report.html", {"compare", "--objects", "all", "--format", "html", a, b});
  const qsizetype all = static_cast<qsizetype>(ShownDifferences(RenderedDom(page)).size());
  ASSERT_GT(all, 5);
  const struct {
    const char* fragment = nullptr;
    QSet<QString> kinds_shown;
    qsizetype shown = -1;  // -1: any number
  } rows[] = {
      {"kind=Index", {"Index"}, 1},           {"kind=Field", {"Field"}, -1},
      {"search=PHONE", {"Field"}, 1},         {"search=archive", {"Table"}, 1},
      {"search=cascade", {"Foreign Key"}, 1}, {"kind=Index&search=archive", {}, 0},
      {"search=no%20such%20thing", {}, 0},
  };
  for (const auto& row : rows) {
    const QString dom = RenderedDom(page, QString::fromLatin1(row.fragment));
    QSet<QString> kinds;
    qsizetype shown = 0;
    for (const ShownRow& difference : ShownDifferences(dom)) {
      if (difference.hidden) continue;
      kinds.insert(difference.kind);
      ++shown;
    }
    EXPECT_EQ(kinds, row.kinds_shown) << row.fragment;
    if (row.shown >= 0) {
      EXPECT_EQ(shown, row.shown) << row.fragment;
    }
    EXPECT_TRUE(dom.contains(QStringLiteral("%1 of %2 shown").arg(shown).arg(all))) << row.fragment;
  }
}

// check's page names every target with its status and shows a differing one's differences;
// --reports writes the page beside the text, and a later run replaces its own page only.
TEST(HtmlReportTest, CheckShowsEveryTargetAndWritesPagesBesideTheText) {
  SqliteTestFolder folder;
  const QString reference = folder.CreateDatabase("ref.db", "CREATE TABLE t (a INT, b TEXT);");
  const QString same = folder.CreateDatabase("same.db", "CREATE TABLE t (a INT, b TEXT);");
  const QString drifted = folder.CreateDatabase("drifted.db", "CREATE TABLE t (a INT);");
  const QString reports = folder.PathOf("reports");
  const QString page =
      Page(folder, "check.html",
           {"check", "--format", "html", "--reports", reports, reference, same, drifted});
  const QString dom = RenderedDom(page);
  EXPECT_TRUE(dom.contains(QStringLiteral("same.db: <span class=\"status-identical\">")));
  EXPECT_TRUE(dom.contains(QStringLiteral("drifted.db: <span class=\"status-differs\">")));
  const std::vector<ShownRow> rows = ShownDifferences(dom);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].text.contains(QStringLiteral("b only in the primary")))
      << rows[0].text.toStdString();
  EXPECT_EQ(QDir(reports).entryList(QDir::Files),
            (QStringList{"drifted.db.html", "drifted.db.txt"}));

  // Again, with a file of the user's where the text went: the page is replaced, the file kept.
  const QString text = QDir(reports).filePath("drifted.db.txt");
  component::test_support::WriteFileContents(text, "my notes\n");
  const Result again =
      RunCli({"check", "--format", "html", "--reports", reports, reference, same, drifted});
  EXPECT_EQ(again.exit_code, 1) << again.err.toStdString();
  EXPECT_EQ(component::test_support::FileContents(text), "my notes\n");
  EXPECT_EQ(QDir(reports).entryList(QDir::Files),
            (QStringList{"drifted.db-2.txt", "drifted.db.html", "drifted.db.txt"}));
}

}  // namespace
}  // namespace vantrel::cli
