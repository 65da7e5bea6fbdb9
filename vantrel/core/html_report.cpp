#include "vantrel/core/html_report.h"

#include <QCryptographicHash>
#include <QSet>
#include <QStringList>
#include <algorithm>

#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

// What marks a page as this program's, near its start.
constexpr char kGenerator[] = "<meta name=\"generator\" content=\"vantrel-comparison\">";

constexpr char kStyle[] = R"css(
body { font: 14px/1.4 sans-serif; margin: 0 1.5em 2em; color: #1d1d1f; }
header { position: sticky; top: 0; background: #fff; padding: .6em 0; border-bottom: 1px solid #ccc; }
h1 { font-size: 1.3em; margin: .2em 0; }
h2 { font-size: 1.15em; margin: 1.4em 0 .3em; }
h3 { font-size: 1em; margin: 1.1em 0 .3em; }
#controls label { margin-right: 1em; }
#controls input { width: 22em; }
table { border-collapse: collapse; width: 100%; table-layout: fixed; }
th, td { text-align: left; vertical-align: top; padding: .2em .5em; overflow-wrap: anywhere; }
thead th { background: #eef; }
td.what { width: 30%; }
td.property { width: 14%; color: #555; }
tbody.difference { border-top: 1px solid #ddd; }
.kind { font-weight: bold; }
.presence { color: #555; font-style: italic; }
.missing { color: #999; font-style: italic; }
tr.risk td { font-size: .92em; color: #444; padding-bottom: .5em; }
tbody.risky tr.risk td { color: #a00; font-weight: bold; }
tbody.risky td.what { border-left: 4px solid #c00; }
.mark { display: inline-block; padding: 0 .35em; border-radius: 3px; background: #c00; color: #fff;
        font-size: .85em; margin-right: .4em; }
.status-differs { color: #a60; }
.status-failed { color: #a00; }
.status-identical { color: #070; }
ul.not-compared li { color: #555; }
)css";

constexpr char kScript[] = R"js(
(function () {
  var kind = document.getElementById('kind');
  var search = document.getElementById('search');
  var shown = document.getElementById('shown');
  var all = document.querySelectorAll('tbody.difference');
  function apply() {
    var chosen = kind.value, words = search.value.toLowerCase(), count = 0;
    document.querySelectorAll('section.group').forEach(function (group) {
      var title = group.querySelector('h3').textContent.toLowerCase(), any = false;
      group.querySelectorAll('tbody.difference').forEach(function (row) {
        var show = (!chosen || row.dataset.kind === chosen) &&
            (!words || title.indexOf(words) >= 0 ||
             row.textContent.toLowerCase().indexOf(words) >= 0);
        row.hidden = !show;
        if (show) { any = true; count++; }
      });
      group.hidden = !any;
    });
    shown.textContent = count + ' of ' + all.length + ' shown';
  }
  // A link may carry a filter: page.html#kind=Index&search=customer
  var given = new URLSearchParams(location.hash.slice(1));
  if (given.has('kind')) kind.value = given.get('kind');
  if (given.has('search')) search.value = given.get('search');
  kind.addEventListener('change', apply);
  search.addEventListener('input', apply);
  apply();
  document.body.dataset.filtersReady = 'yes';
})();
)js";

QString Hash(const char* text) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QByteArray(text), QCryptographicHash::Sha256).toBase64());
}

// A text from a database: shown as the text report shows it, then escaped for HTML.
QString Shown(const QString& text) { return HtmlEscaped(VisibleText(text)); }

QString SeverityClass(RiskSeverity severity) {
  switch (severity) {
    case RiskSeverity::kDataLost:
      return QStringLiteral("lost");
    case RiskSeverity::kRowsRefused:
      return QStringLiteral("refused");
    case RiskSeverity::kValuesChange:
      return QStringLiteral("values");
    case RiskSeverity::kBehaviour:
      return QStringLiteral("behaviour");
    case RiskSeverity::kSafe:
      break;
  }
  return QStringLiteral("safe");
}

// A value cell: "missing" where the side lacks what the other has.
QString ValueCell(const QString& value) {
  if (value == u"missing") return QStringLiteral("<td class=\"missing\">missing</td>");
  return "<td>" + HtmlEscaped(value) + "</td>";
}

void AppendDifference(QString& html, const ShownDifference& difference) {
  const bool risky = difference.IsRisky();
  html += "<tbody class=\"difference" + QString(risky ? " risky" : "") + "\" data-kind=\"" +
          HtmlEscaped(difference.kind) + "\" data-severity=\"" +
          SeverityClass(difference.severity) + "\">\n";
  const size_t rows = std::max<size_t>(difference.values.size(), 1);
  for (size_t row = 0; row < rows; ++row) {
    html += QStringLiteral("<tr>");
    if (row == 0) {
      html += "<td class=\"what\"><span class=\"kind\">" + HtmlEscaped(difference.kind) + "</span>";
      if (!difference.subject.isEmpty()) {
        html += " <span class=\"subject\">" + HtmlEscaped(difference.subject) + "</span>";
      }
      html += "<br><span class=\"presence\">" + HtmlEscaped(difference.PresenceWords()) +
              "</span></td>";
    } else {
      html += QStringLiteral("<td class=\"what\"></td>");
    }
    if (row < difference.values.size()) {
      const ShownDifference::Value& value = difference.values[row];
      html += "<td class=\"property\">" + HtmlEscaped(value.property) + "</td>" +
              ValueCell(value.primary) + ValueCell(value.secondary);
    } else {
      html += QStringLiteral("<td></td><td></td><td></td>");
    }
    html += QStringLiteral("</tr>\n");
  }
  html += "<tr class=\"risk\"><td class=\"what\"></td><td colspan=\"3\">";
  if (risky) html += QStringLiteral("<span class=\"mark\">risk</span>");
  html += HtmlEscaped(difference.risk) + "</td></tr>\n</tbody>\n";
}

void AppendGroups(QString& html, const HtmlComparison& comparison) {
  if (comparison.groups.empty()) return;
  for (const DifferenceGroup& group : comparison.groups) {
    html += QStringLiteral("<section class=\"group\">\n<h3>");
    html += group.table.isEmpty() ? QStringLiteral("The databases")
                                  : "Table " + HtmlEscaped(group.table);
    html +=
        "</h3>\n<table>\n<thead><tr><th class=\"what\">Difference</th>"
        "<th class=\"property\">Property</th><th>Primary: " +
        Shown(comparison.primary_name) + "</th><th>Secondary: " + Shown(comparison.secondary_name) +
        "</th></tr></thead>\n";
    for (const ShownDifference& difference : group.differences) {
      AppendDifference(html, difference);
    }
    html += QStringLiteral("</table>\n</section>\n");
  }
}

void AppendNotCompared(QString& html, const HtmlComparison& comparison) {
  if (comparison.not_compared.empty()) return;
  html += QStringLiteral("<h3>Not compared</h3>\n<ul class=\"not-compared\">\n");
  for (const NotCompared& gap : comparison.not_compared) {
    const QString& side =
        gap.side == Side::kPrimary ? comparison.primary_name : comparison.secondary_name;
    html += "<li>" + HtmlEscaped(WordsOf(gap.what)) + ", ";
    html += gap.across_engines ? QStringLiteral(
                                     "which the two databases write in different "
                                     "engines' SQL")
                               : "which " + Shown(side) + " cannot tell";
    html += QStringLiteral("</li>\n");
  }
  html += QStringLiteral("</ul>\n");
}

QString CountWords(size_t count) {
  return count == 1 ? QStringLiteral("1 difference") : QString::number(count) + " differences";
}

// The page around `body`: the head, the controls offering `kinds`, and the script.
QByteArray Page(const QString& title, const QString& heading, const QString& body,
                const QStringList& kinds) {
  QString html;
  html += QStringLiteral("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n");
  html += QLatin1String(kGenerator) + "\n";
  html +=
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "script-src 'sha256-" +
      Hash(kScript) + "'; style-src 'sha256-" + Hash(kStyle) + "'\">\n";
  html += "<title>" + title + "</title>\n<style>" + QLatin1String(kStyle) + "</style>\n";
  html += "</head>\n<body>\n<header>\n<h1>" + heading + "</h1>\n";
  html += QStringLiteral(
      "<div id=\"controls\"><label>Kind <select id=\"kind\">"
      "<option value=\"\">All kinds</option>");
  for (const QString& kind : kinds) {
    html += "<option value=\"" + HtmlEscaped(kind) + "\">" + HtmlEscaped(kind) + "</option>";
  }
  html += QStringLiteral(
      "</select></label><label>Search <input id=\"search\" type=\"search\" "
      "placeholder=\"names, values, risks\"></label><span id=\"shown\"></span></div>\n"
      "</header>\n<main>\n");
  html += body;
  html += "</main>\n<script>" + QLatin1String(kScript) + "</script>\n</body>\n</html>\n";
  return html.toUtf8();
}

// The kinds of difference on the page, in the order first met.
void CollectKinds(const HtmlComparison& comparison, QStringList& kinds) {
  for (const DifferenceGroup& group : comparison.groups) {
    for (const ShownDifference& difference : group.differences) {
      if (!kinds.contains(difference.kind)) kinds.append(difference.kind);
    }
  }
}

}  // namespace

QString HtmlEscaped(const QString& text) { return text.toHtmlEscaped(); }

QByteArray HtmlReport(const HtmlComparison& comparison) {
  const QString primary = Shown(comparison.primary_name);
  const QString secondary = Shown(comparison.secondary_name);
  const size_t count = CountDifferences(comparison.groups);
  QString body = "<p>" +
                 (count == 0 ? QStringLiteral("No differences.") : CountWords(count) + ".") +
                 " Each difference is shown once; its values are the primary's (" + primary +
                 ") and the secondary's (" + secondary + ").</p>\n";
  AppendGroups(body, comparison);
  AppendNotCompared(body, comparison);
  QStringList kinds;
  CollectKinds(comparison, kinds);
  return Page(primary + " compared with " + secondary,
              "<span class=\"primary\">" + primary + "</span> compared with <span " +
                  "class=\"secondary\">" + secondary + "</span>",
              body, kinds);
}

QByteArray HtmlCheckReport(const QString& reference_name,
                           const std::vector<HtmlComparison>& targets) {
  const QString reference = Shown(reference_name);
  QString body;
  QStringList kinds;
  int differing = 0;
  for (const HtmlComparison& target : targets) differing += target.status == u"differs";
  body += "<p>" + QString::number(targets.size()) + " targets checked against " + reference + ": " +
          QString::number(differing) + " differ.</p>\n";
  for (const HtmlComparison& target : targets) {
    body += "<h2>" + Shown(target.secondary_name) + ": <span class=\"status-" +
            HtmlEscaped(target.status) + "\">" + HtmlEscaped(target.status) + "</span>";
    if (target.status == u"differs")
      body += " (" + CountWords(CountDifferences(target.groups)) + ")";
    body += QStringLiteral("</h2>\n");
    if (!target.failure.isEmpty())
      body += "<p class=\"failure\">" + Shown(target.failure) + "</p>\n";
    AppendGroups(body, target);
    AppendNotCompared(body, target);
    CollectKinds(target, kinds);
  }
  return Page("Check against " + reference, "Targets checked against " + reference, body, kinds);
}

bool IsHtmlReport(const QByteArray& head) {
  return head.startsWith("<!DOCTYPE html>\n") && head.left(512).contains(kGenerator);
}

}  // namespace vantrel
