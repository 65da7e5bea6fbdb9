#include "vantrel/core/difference_risk_parts.h"

#include <QStringList>
#include <algorithm>
#include <iterator>

#include "vantrel/core/visible_text.h"

namespace vantrel::risk {

namespace {

// The word that opens a line, for each class of Risk, in the order of its values.
const char* const kRiskLabels[] = {
    "lost",        "rounded",   "type change",     "narrower",  "type change", "new NOT NULL",
    "new UNIQUE",  "new check", "new foreign key", "collation", "numbering",   "recomputed",
    "type change", "numbering", "collation",       "behaviour", "safe",        "count",
};
static_assert(std::size(kRiskLabels) == static_cast<size_t>(Risk::kCount) + 1);

QString Label(Risk risk) { return QLatin1String(kRiskLabels[static_cast<int>(risk)]); }

}  // namespace

QString Quoted(const QString& name) { return u'\'' + VisibleText(name) + u'\''; }

// The line: the most severe finding, and the classes of the other risky ones by name, short
// enough to read at a glance.
QString Line(std::vector<Finding> findings) {
  if (findings.empty()) return QStringLiteral("safe: nothing differs that data depends on");
  std::stable_sort(findings.begin(), findings.end(),
                   [](const Finding& a, const Finding& b) { return a.risk < b.risk; });
  const Finding& first = findings.front();
  QString line = Label(first.risk);
  if (!first.text.isEmpty()) line += ": " + first.text;
  QStringList also;
  for (size_t i = 1; i < findings.size(); ++i) {
    if (findings[i].risk >= Risk::kSafe) continue;
    const QString label = Label(findings[i].risk);
    if (label != Label(first.risk) && !also.contains(label)) also.append(label);
  }
  if (!also.isEmpty()) line += " (also " + also.join(QStringLiteral(", ")) + u')';
  return line;
}

// ---- The properties a paragraph lists.

// What the risk of an object turns on, on the primary's side; empty facts where none were told.
ObjectFacts PrimaryFacts(const Difference& difference, const Sides& sides) {
  const std::optional<ObjectFacts>& facts =
      sides.driving_is_primary ? difference.driving_facts : difference.other_facts;
  return facts.value_or(ObjectFacts{});
}

QVariant PrimaryValue(const Difference::Property& property, const Sides& sides) {
  return sides.driving_is_primary ? property.driving_value : property.other_value;
}
QVariant SecondaryValue(const Difference::Property& property, const Sides& sides) {
  return sides.driving_is_primary ? property.other_value : property.driving_value;
}

// A value as a line shows it; "unreadable" for one that could not be read, "none" for nothing.
QString Shown(const QVariant& value) {
  if (!value.isValid()) return QStringLiteral("unreadable");
  const QString text = value.toString().simplified();
  return text.isEmpty() ? QStringLiteral("none") : VisibleText(text);
}

// A yes-or-no property as either a bool or a word ("CYCLE", "NO CYCLE", "true").
bool IsYes(const QVariant& value) {
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  const QString text = value.toString().trimmed().toLower();
  return text == u"true" || text == u"yes" || text == u"1" || text == u"cycle";
}

// ---- Collations: what a unique index or a comparison treats as equal.

namespace {

// "case-blind", "accent-blind" or "case- and accent-blind" for the traits set.
QString Blindness(bool case_blind, bool accent_blind) {
  if (case_blind && accent_blind) return QStringLiteral("case- and accent-blind");
  return case_blind ? QStringLiteral("case-blind") : QStringLiteral("accent-blind");
}

}  // namespace

// Traits differ: the primary blind where the secondary is not refuses rows a unique index held
// apart; the other way round only comparisons and sorting change.
std::optional<Finding> CollationFinding(Traits p, Traits s) {
  const bool case_refusing = p.case_blind && !s.case_blind;
  const bool accent_refusing = p.accent_blind && !s.accent_blind;
  if (case_refusing || accent_refusing) {
    return Finding{Risk::kCollationRefusing,
                   Blindness(case_refusing, accent_refusing) +
                       " on one side only: a unique index may refuse rows the other accepts"};
  }
  const bool case_loose = s.case_blind && !p.case_blind;
  const bool accent_loose = s.accent_blind && !p.accent_blind;
  if (case_loose || accent_loose) {
    return Finding{Risk::kCollationBehaviour,
                   Blindness(case_loose, accent_loose) +
                       " on one side only: comparisons and sorting of text differ"};
  }
  return std::nullopt;
}

}  // namespace vantrel::risk
