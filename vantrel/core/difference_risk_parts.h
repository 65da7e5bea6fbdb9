// The parts of a risk line that the risks of types, fields and objects share: the classes in
// their order of severity, a finding, the two sides, and the line made of findings. Internal to
// difference_risk.cpp and its parts (difference_risk_types.cpp, difference_risk_objects.cpp).
#ifndef VANTREL_VANTREL_CORE_DIFFERENCE_RISK_PARTS_H_
#define VANTREL_VANTREL_CORE_DIFFERENCE_RISK_PARTS_H_

#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

#include "vantrel/core/difference.h"

namespace vantrel::risk {

// The classes in the order of their severity, most severe first: the order the header lists.
// A line names the most severe class found; the enum's order is the only ranking there is.
enum class Risk {
  // Data is gone: what the secondary holds has no place on the primary.
  kLost,
  kRounded,         // values are kept, but silently cut to fewer digits
  kTypeChangeLost,  // a kind change that drops part of every value (the date of a timestamp)
  // Rows are refused: moving them fails until they are changed.
  kNarrower,
  kTypeChangeRefused,  // values of the wrong form cannot be converted
  kNewNotNull,
  kNewUnique,
  kNewCheck,
  kNewForeignKey,
  kCollationRefusing,  // the primary compares text more loosely: a unique index may refuse rows
  kNumberingRefused,   // GENERATED ALWAYS refuses the values moved in
  // Values change: rows are moved, but not as they were.
  kRecomputed,
  kTypeChangeConverted,
  // The data survives; what the databases do with it later differs.
  kNumbering,
  kCollationBehaviour,
  kBehaviour,
  // Nothing is at risk.
  kSafe,
  kCount,  // no risk of its own: the field paragraphs carry it
};

struct Finding {
  Risk risk;
  QString text;  // what follows "class: "; empty for a class that says it all
};

// The display names and which of the two is the primary.
struct Sides {
  QString driving;
  QString other;
  bool driving_is_primary;

  QString Primary() const { return driving_is_primary ? driving : other; }
  QString Secondary() const { return driving_is_primary ? other : driving; }
  // "A on 'driving', B on 'other'" from the primary's and the secondary's texts: a line lists
  // the sides in the report's order, driving first.
  QString Each(const QString& primary, const QString& secondary) const {
    const QString& first = driving_is_primary ? primary : secondary;
    const QString& second = driving_is_primary ? secondary : primary;
    return first + " on '" + driving + "', " + second + " on '" + other + "'";
  }
};

struct Traits {
  bool case_blind;
  bool accent_blind;
};

QString Quoted(const QString& name);
// The line: the most severe finding, and the classes of the other risky ones by name.
QString Line(std::vector<Finding> findings);

// The values of a property on each side (FindProperty and Lists are in difference.h).
ObjectFacts PrimaryFacts(const Difference& difference, const Sides& sides);
QVariant PrimaryValue(const Difference::Property& property, const Sides& sides);
QVariant SecondaryValue(const Difference::Property& property, const Sides& sides);
// A value as a line shows it; "unreadable" for one that could not be read, "none" for nothing.
QString Shown(const QVariant& value);
// A yes-or-no property as either a bool or a word ("CYCLE", "NO CYCLE", "true").
bool IsYes(const QVariant& value);

// Collation traits that differ; nothing where they do not.
std::optional<Finding> CollationFinding(Traits p, Traits s);

// How much of the secondary's values the primary's type holds (difference_risk_types.cpp).
std::vector<Finding> TypeFindings(const ColumnFacts& p, const ColumnFacts& s, const Sides& sides);

// Objects, sequences and the databases' own properties (difference_risk_objects.cpp).
Finding ObjectMissing(const Difference& difference, const Sides& sides);
std::vector<Finding> ObjectPropertyFindings(const Difference& difference, const Sides& sides);
std::vector<Finding> SequenceFindings(const Difference& difference, const Sides& sides);
Finding SequenceMissing(const Difference& difference, const Sides& sides);
Finding CollationMissing(const Difference& difference, const Sides& sides);
std::vector<Finding> DatabaseFindings(const Difference& difference, const Sides& sides);
// "Timing, Events": the labels of the properties a paragraph lists.
QString PropertyNames(const Difference& difference);

}  // namespace vantrel::risk

#endif  // VANTREL_VANTREL_CORE_DIFFERENCE_RISK_PARTS_H_
