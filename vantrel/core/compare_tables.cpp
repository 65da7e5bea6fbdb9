#include "vantrel/core/compare_tables.h"

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/column_rules.h"
#include "dataaccess/comparison_rules.h"
#include "dataaccess/object_rules.h"
#include "vantrel/core/comparable_objects.h"
#include "vantrel/core/difference_risk.h"
#include "vantrel/core/one_line_sql.h"
#include "vantrel/core/report_text.h"
#include "vantrel/core/table_glob.h"
#include "vantrel/core/visible_text.h"

#include <QStringList>
#include <exception>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace vantrel {
namespace {

using dataaccess::DataColumn;
using dataaccess::DataConnection;
using dataaccess::DataTable;

constexpr int kColumnKinds = kCompareDefaults | kCompareCollations | kCompareGenerated;

// Runs one step of the walk. An error abandons that step only; returns whether it completed.
template <class Step>
bool Guarded(Step&& step) noexcept {
  try {
    step();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// True when the two reads give different values, or when either read fails.
template <class ReadMatched, class ReadCurrent>
bool Differs(ReadMatched&& read_matched, ReadCurrent&& read_current) noexcept {
  try {
    return read_matched() != read_current();
  } catch (const std::exception&) {
    return true;
  }
}

std::vector<std::u32string> GlobTexts(const QStringList& patterns) {
  std::vector<std::u32string> texts;
  for (const QString& pattern : patterns) texts.push_back(GlobText(pattern));
  return texts;
}

bool MatchesAny(const std::vector<std::u32string>& patterns, const QString& name) {
  const std::u32string text = GlobText(name);
  for (const std::u32string& pattern : patterns) {
    if (GlobMatches(pattern, text)) return true;
  }
  return false;
}

// The include and exclude patterns of a walk, taken apart once.
struct TableFilter {
  explicit TableFilter(const WalkOptions& options)
      : include(GlobTexts(options.include)), exclude(GlobTexts(options.exclude)) {}

  bool IsEmpty() const { return include.empty() && exclude.empty(); }
  // Whether a table is compared, given its name and, when found, its name on the other side.
  bool Selects(const QString& name, const QString& matched_name) const {
    const auto matches = [&](const std::vector<std::u32string>& patterns) {
      return MatchesAny(patterns, name) ||
             (!matched_name.isNull() && MatchesAny(patterns, matched_name));
    };
    return (include.empty() || matches(include)) && !matches(exclude);
  }

  std::vector<std::u32string> include;
  std::vector<std::u32string> exclude;
};

class TableWalk {
 public:
  TableWalk(DataConnection& driving, const QString& driving_name, DataConnection& other,
            const QString& other_name, ResultsView& view, const WalkOptions& options)
      : driving_(driving),
        driving_source_(VisibleText(driving_name)),
        other_(other),
        other_source_(VisibleText(other_name)),
        view_(view),
        text_(view, driving, driving_source_, other, other_source_, options.explain,
              options.details),
        options_(options),
        filter_(options),
        describing_(options.observer != nullptr || options.explain || options.details),
        told_(ToldKinds(driving, other, options.compared)),
        across_engines_(AcrossEngines(driving, other)),
        driving_engine_(EngineOf(driving)),
        other_engine_(EngineOf(other)),
        driving_collation_(DatabaseCollation(driving)),
        other_collation_(DatabaseCollation(other)) {}

  static int ToldKinds(const DataConnection& driving, const DataConnection& other,
                       int compared) noexcept {
    int told = 0;
    Guarded([&] { told = driving.ObjectKinds() & other.ObjectKinds() & compared; });
    return told;
  }
  static bool AcrossEngines(const DataConnection& driving, const DataConnection& other) noexcept {
    bool across = true;
    Guarded([&] { across = driving.Engine() != other.Engine(); });
    return across;
  }

  static QString EngineOf(const DataConnection& connection) noexcept {
    QString engine;
    Guarded([&] { engine = connection.Engine(); });
    return engine;
  }

  int Run() {
    // The databases' default collations are said once, by the walk from the primary.
    if ((told_ & kCompareCollations) && options_.driving_is_primary) CompareDefaultCollations();
    std::unique_ptr<dataaccess::Enumerator<DataTable>> tables;
    if (Guarded([&] { tables = driving_.Tables().Enumerate(); })) {
      for (;;) {
        DataTable* table = nullptr;
        if (!Guarded([&] { table = tables->Next(); }) || table == nullptr) break;
        WalkTable(*table);
      }
    }
    if (told_ & kCompareSequences) WalkSequences();
    if ((told_ & kCompareCollations) && !across_engines_) WalkCollations();
    Guarded([&] { view_.SetTableCaption(QString()); });
    Guarded([&] { view_.SetFieldCaption(QString()); });
    return paragraphs_;
  }

 private:
  void WalkTable(DataTable& table) {
    QString table_name;
    if (!Guarded([&] { table_name = table.Name(); })) return;
    DataTable* matched = nullptr;
    Guarded([&] { matched = &other_.Tables().Item(table_name); });
    if (!filter_.IsEmpty()) {
      QString matched_name;
      if (matched) Guarded([&] { matched_name = matched->Name(); });
      bool selected = false;
      if (!Guarded([&] { selected = filter_.Selects(table_name, matched_name); }) || !selected) {
        return;
      }
    }
    Guarded([&] { view_.SetTableCaption(VisibleText(table_name)); });
    Guarded([&] { view_.RepaintTableCaption(); });

    if (matched == nullptr) {
      Difference difference = Paragraph(Difference::Kind::kTableMissing, table_name);
      Guarded([&] {
        if (table.IsView()) difference.object_kind = ObjectKindId::kView;
      });
      Report(difference);
      return;
    }
    // Types are compared unless a rule says otherwise; a failed read keeps them compared.
    bool compare_types = true;
    Guarded([&] {
      compare_types = dataaccess::ComparesColumnTypes(driving_, table, other_, *matched);
    });
    // Defaults, collations and generation are properties of the fields, compared with them
    // or on their own.
    if (options_.compared & (kCompareFields | kColumnKinds)) {
      WalkFields(table, table_name, *matched, compare_types);
    }
    if (options_.compared & kCompareFields) CompareFieldCount(table, table_name, *matched);
    if (options_.compared & kCompareObjects) WalkObjects(table, table_name, *matched);
  }

  void CompareFieldCount(DataTable& table, const QString& table_name, DataTable& matched_table) {
    DataTable* matched = &matched_table;
    // A table found only under another letter case is compared field by field, but its field
    // count is not; an unreadable matched name cannot prove the exact match.
    bool exact_match = false;
    Guarded([&] { exact_match = matched->Name() == table_name; });
    if (exact_match && Differs([&] { return matched->Columns().Count(); },
                               [&] { return table.Columns().Count(); })) {
      Difference difference =
          Paragraph(Difference::Kind::kFieldCount, table_name, MatchedName(*matched));
      if (describing_) {
        difference.driving_count = Read([&] { return table.Columns().Count(); });
        difference.other_count = Read([&] { return matched->Columns().Count(); });
      }
      Report(difference);
    }
  }

  void WalkFields(DataTable& table, const QString& table_name, DataTable& matched,
                  bool compare_types) {
    field_details_.clear();
    match_details_.clear();
    if (told_ & (kCompareDefaults | kCompareCollations | kCompareGenerated)) {
      Guarded([&] { field_details_ = DetailsByPosition(table); });
      Guarded([&] { match_details_ = DetailsByPosition(matched); });
    }
    std::unique_ptr<dataaccess::Enumerator<DataColumn>> fields;
    if (!Guarded([&] { fields = table.Columns().Enumerate(); })) return;
    for (;;) {
      DataColumn* field = nullptr;
      if (!Guarded([&] { field = fields->Next(); }) || field == nullptr) return;
      CompareField(*field, table, table_name, matched, compare_types);
    }
  }

  void CompareField(DataColumn& field, DataTable& table, const QString& table_name,
                    DataTable& matched, bool compare_types) {
    QString field_name;
    if (!Guarded([&] { field_name = field.Name(); })) return;
    Guarded([&] { view_.SetFieldCaption(VisibleText(field_name)); });
    Guarded([&] { view_.RepaintFieldCaption(); });

    DataColumn* match = nullptr;
    Guarded([&] { match = &matched.Columns().Item(field_name); });
    const bool fields = (options_.compared & kCompareFields) != 0;
    if (match == nullptr) {
      if (!fields) return;
      Difference difference =
          Paragraph(Difference::Kind::kFieldMissing, table_name, MatchedName(matched), field_name);
      Guarded([&] {
        if (table.IsView()) difference.object_kind = ObjectKindId::kView;
      });
      if (describing_)
        Guarded([&] { difference.driving_column = FactsOf(field, table, driving_); });
      Report(difference);
      return;
    }
    std::vector<Difference::Property> properties;
    // The properties that make up a column's type, left out where its type is not compared.
    constexpr int kTypeProperties =
        kAllowZeroLengthProperty | kAttributesProperty | kSizeProperty | kDataTypeProperty;
    constexpr int kFieldProperties = kTypeProperties | kOrdinalPositionProperty | kRequiredProperty;
    // A text column held by a check to an enumeration's labels is that enumeration (rule 6).
    bool same_labels = false;
    if (compare_types && (told_ & kCompareChecks) != 0) {
      Guarded(
          [&] { same_labels = dataaccess::AllowsTheSameLabels(field, table, *match, matched); });
    }
    const int left_out = options_.ignored_properties |
                         (compare_types && !same_labels ? 0 : kTypeProperties) |
                         (fields ? 0 : kFieldProperties);
    // Reports the property when `differs` says so and it is not left out.
    const auto report = [&](PropertyId property, auto&& differs, auto&& read_matched,
                            auto&& read_current) {
      if ((left_out & WordsOf(property).ignore_bit) == 0 && differs()) {
        properties.push_back(
            describing_ ? Difference::Property{property, Read(read_current), Read(read_matched)}
                        : Difference::Property{property, {}, {}});
      }
    };
    // Most properties differ when their values do.
    const auto check = [&](PropertyId property, auto&& read_matched, auto&& read_current) {
      report(
          property, [&] { return Differs(read_matched, read_current); }, read_matched,
          read_current);
    };
    check(
        PropertyId::kAllowZeroLength, [&] { return match->AllowZeroLength(); },
        [&] { return field.AllowZeroLength(); });
    report(
        PropertyId::kAttributes,
        [&] {
          return Differs([&] { return dataaccess::AttributesMatch(*match, field); },
                         [] { return true; });
        },
        [&] { return match->Attributes(); }, [&] { return field.Attributes(); });
    check(
        PropertyId::kOrdinalPosition, [&] { return match->OrdinalPosition(); },
        [&] { return field.OrdinalPosition(); });
    check(
        PropertyId::kRequired, [&] { return match->Required(); }, [&] { return field.Required(); });
    report(
        PropertyId::kSize,
        [&] {
          return Differs(
              [&] { return dataaccess::SizesMatch(*match, other_engine_, field, driving_engine_); },
              [] { return true; });
        },
        [&] { return match->Size(); }, [&] { return field.Size(); });
    // Two enumerations of one engine that differ only in their types' names show the names.
    const auto data_type = [&](const DataColumn& column, const DataColumn& other) {
      return [&] {
        const int32_t kind = column.DataType();
        return !across_engines_ && kind == dataaccess::kEnum && other.DataType() == kind
                   ? QVariant(column.DeclaredType())
                   : QVariant(kind);
      };
    };
    report(
        PropertyId::kDataType,
        [&] {
          return Differs(
              [&] {
                return !dataaccess::DataTypesDiffer(*match, other_engine_, field, driving_engine_);
              },
              [] { return true; });
        },
        data_type(*match, field), data_type(field, *match));
    // A pair of columns of which neither has a default, a generation or a collation of its own
    // has nothing of these to differ in: the databases' default collations are told once.
    const dataaccess::ColumnDetails* mine_details = nullptr;
    const dataaccess::ColumnDetails* theirs_details = nullptr;
    if (told_ & (kCompareDefaults | kCompareCollations | kCompareGenerated)) {
      mine_details = DetailsAt(field_details_, field, table);
      theirs_details = DetailsAt(match_details_, *match, matched);
    }
    if (mine_details != nullptr || theirs_details != nullptr) {
      Guarded([&] {
        // One default text on two columns of one type and size means one thing (DefaultMeaning
        // reads nothing else): a schema and its copy share most defaults, and taking each apart
        // would cost more than the rest of the field's comparison.
        const bool same_default =
            mine_details != nullptr && theirs_details != nullptr &&
            mine_details->default_value.isNull() == theirs_details->default_value.isNull() &&
            mine_details->default_value == theirs_details->default_value &&
            field.DataType() == match->DataType() && field.Size() == match->Size();
        const ColumnSide mine = SideOf(field, mine_details, driving_, !same_default);
        const ColumnSide theirs = SideOf(*match, theirs_details, other_, !same_default);
        const auto text = [](const QString& value) { return [value] { return value; }; };
        if (told_ & kCompareDefaults) {
          // One default text is one default: where the two columns' types make it mean
          // different things, the type is what differs, and the type is compared on its own.
          report(
              PropertyId::kDefaultValue,
              [&] {
                return mine.default_meaning != theirs.default_meaning &&
                       mine.default_shown != theirs.default_shown;
              },
              text(theirs.default_shown), text(mine.default_shown));
          // MySQL's ON UPDATE sets the column on every update, which another engine does with a
          // trigger, if at all (the risk line names the trigger).
          report(
              PropertyId::kOnUpdateValue,
              [&] { return mine.on_update_meaning != theirs.on_update_meaning; },
              text(theirs.on_update_shown), text(mine.on_update_shown));
        }
        if (told_ & kCompareCollations) {
          report(
              PropertyId::kCollation,
              [&] {
                return dataaccess::CollationsDiffer(mine.collation, theirs.collation,
                                                    across_engines_);
              },
              text(theirs.collation.name), text(mine.collation.name));
        }
        if (told_ & kCompareGenerated) {
          report(
              PropertyId::kGenerated,
              [&] { return mine.generated_meaning != theirs.generated_meaning; },
              text(theirs.generated_shown), text(mine.generated_shown));
          report(
              PropertyId::kStorage,
              [&] {
                return !mine.generated_shown.isEmpty() && !theirs.generated_shown.isEmpty() &&
                       mine.storage != theirs.storage;
              },
              text(theirs.storage), text(mine.storage));
        }
      });
    }

    if (properties.empty()) return;
    Difference difference =
        Paragraph(Difference::Kind::kFieldProperties, table_name, MatchedName(matched), field_name);
    difference.properties = std::move(properties);
    if (describing_) {
      if (Lists(difference, PropertyId::kOnUpdateValue)) {
        Guarded([&] {
          // The side without ON UPDATE may keep the column current with a trigger.
          const bool mine_lacks = mine_details == nullptr || mine_details->on_update.isEmpty();
          difference.instead =
              mine_lacks ? UpdateTriggersOf(table, true) : UpdateTriggersOf(matched, false);
        });
      }
      Guarded([&] { difference.driving_column = FactsOf(field, table, driving_); });
      Guarded([&] { difference.other_column = FactsOf(*match, matched, other_); });
    }
    Report(difference);
  }

  // The row-level UPDATE triggers of `table`, which may set a column that the other side sets
  // with ON UPDATE.
  static OtherMechanism UpdateTriggersOf(const DataTable& table, bool on_driving_side) {
    OtherMechanism mechanism;
    mechanism.on_driving_side = on_driving_side;
    const dataaccess::TableObjects* objects = table.Objects();
    if (objects == nullptr) return mechanism;
    for (const dataaccess::TriggerDefinition& trigger : objects->triggers) {
      if (trigger.for_each_row && trigger.events.contains(QLatin1String("UPDATE"))) {
        mechanism.update_triggers.append(trigger.name);
      }
    }
    return mechanism;
  }

  // The columns of `table` that MySQL sets on every update, which another engine does with a
  // trigger.
  static OtherMechanism OnUpdateColumnsOf(const DataTable& table, bool on_driving_side) {
    OtherMechanism mechanism;
    mechanism.on_driving_side = on_driving_side;
    const dataaccess::TableObjects* objects = table.Objects();
    if (objects == nullptr) return mechanism;
    for (const dataaccess::ColumnDetails& details : objects->columns) {
      if (!details.on_update.isEmpty()) {
        mechanism.on_update_columns.push_back({details.column, OneLineSql(details.on_update)});
      }
    }
    return mechanism;
  }

  // Each object of the table looked up on the other side by what it is; one paragraph for each
  // missing there, and one for each found with other properties.
  void WalkObjects(DataTable& table, const QString& table_name, DataTable& matched) {
    std::vector<ComparableObject> objects;
    std::vector<ComparableObject> others;
    if (!Guarded([&] {
          objects = ComparableObjects({driving_, table, other_, matched}, options_.compared,
                                      options_.compare_names);
          others = ComparableObjects({other_, matched, driving_, table}, options_.compared,
                                     options_.compare_names);
        })) {
      return;
    }
    std::vector<bool> taken(others.size(), false);
    for (const ComparableObject& object : objects) {
      // The same object is the one of equal identity; of several, one that differs in nothing.
      const ComparableObject* match = nullptr;
      std::vector<Difference::Property> properties;
      for (size_t i = 0; i < others.size(); ++i) {
        const ComparableObject& other = others[i];
        if (taken[i] || WordsOf(other.kind).compared != WordsOf(object.kind).compared ||
            other.identity != object.identity) {
          continue;
        }
        std::vector<Difference::Property> other_properties = DifferingProperties(object, other);
        if (match == nullptr || (other_properties.empty() && !properties.empty())) {
          match = &other;
          properties = std::move(other_properties);
          if (properties.empty()) {
            taken[i] = true;
            break;
          }
        }
      }
      if (match == nullptr) {
        if (object.engine_made) continue;
        Difference difference =
            Paragraph(Difference::Kind::kObjectMissing, table_name, MatchedName(matched));
        DescribeObject(difference, object, nullptr);
        if (object.kind == ObjectKindId::kCheck) {
          for (const ComparableObject& other : others) {
            if (other.kind == ObjectKindId::kCheck &&
                dataaccess::CheckAdmitsAllOf(object.definition, other.definition)) {
              difference.driving_facts->admits_all_of = other.definition;
              break;
            }
          }
        }
        if (!object.unique_columns.isEmpty()) {
          for (const ComparableObject& other : others) {
            if (other.unique_columns == object.unique_columns) {
              difference.driving_facts->same_rows_refused_by =
                  other.kind == ObjectKindId::kPrimaryKey ? "primary key " + other.definition
                                                          : other.definition;
              break;
            }
          }
        }
        if (describing_ && object.kind == ObjectKindId::kTrigger && object.facts.fires_on_update) {
          Guarded([&] { difference.instead = OnUpdateColumnsOf(matched, false); });
        }
        Report(difference);
        continue;
      }
      if (properties.empty()) continue;
      Difference difference =
          Paragraph(Difference::Kind::kObjectProperties, table_name, MatchedName(matched));
      difference.properties = std::move(properties);
      DescribeObject(difference, object, match);
      Report(difference);
    }
  }

  // The properties in which `object` and `other` differ, in the order the report lists them.
  std::vector<Difference::Property> DifferingProperties(const ComparableObject& object,
                                                        const ComparableObject& other) const {
    std::vector<Difference::Property> properties;
    for (const ComparableObject::Property& property : object.properties) {
      if ((options_.ignored_properties & WordsOf(property.id).ignore_bit) != 0) continue;
      for (const ComparableObject::Property& counterpart : other.properties) {
        if (counterpart.id == property.id && !SameProperty(property, counterpart)) {
          properties.push_back({property.id, property.shown, counterpart.shown});
        }
      }
    }
    return properties;
  }

  static void DescribeObject(Difference& difference, const ComparableObject& object,
                             const ComparableObject* match) {
    difference.object_kind = object.kind;
    difference.object = object.definition;
    difference.object_name = object.name;
    difference.driving_facts = object.facts;
    if (match) {
      difference.other_object = match->definition;
      difference.other_facts = match->facts;
    }
  }

  static Difference Paragraph(Difference::Kind kind, const QString& table,
                              const QString& other_table = {}, const QString& field = {}) {
    Difference difference;
    difference.kind = kind;
    difference.table = table;
    difference.other_table = other_table;
    difference.field = field;
    return difference;
  }
  // Writes the paragraph of a difference found, its risk line when the walk explains, and
  // tells the observer of it.
  void Report(Difference& difference) {
    ++paragraphs_;
    difference.driving_is_primary = options_.driving_is_primary;
    text_.Paragraph(difference);
    if (options_.details) text_.Details(difference);
    if (options_.explain) {
      Guarded(
          [&] { difference.risk = DifferenceRisk(difference, driving_source_, other_source_); });
      text_.RiskLine(difference.risk);
    } else if (options_.details) {
      text_.EndDetails();
    }
    if (options_.observer) Guarded([&] { options_.observer->Found(difference); });
  }
  // A value read for the observer; invalid when the read fails.
  template <class ReadValue>
  static QVariant Read(ReadValue&& read) noexcept {
    try {
      return QVariant::fromValue(read());
    } catch (const std::exception&) {
      return QVariant();
    }
  }
  static QString MatchedName(const DataTable& matched) {
    QString name;
    Guarded([&] { name = matched.Name(); });
    return name;
  }

  // A column's details as the comparison of defaults, collations and generation reads them.
  struct ColumnSide {
    QString default_meaning;
    QString default_shown;
    dataaccess::EffectiveCollation collation;
    QString generated_meaning;
    QString generated_shown;
    QString storage;
    QString on_update_meaning;  // MySQL's ON UPDATE; empty for none
    QString on_update_shown;
  };

  static const dataaccess::ColumnDetails* DetailsOf(const DataColumn& column,
                                                    const DataTable& table) {
    const dataaccess::TableObjects* objects = table.Objects();
    return objects ? objects->DetailsOf(column.Name()) : nullptr;
  }

  // Each column's details by its ordinal position (index 0 for position 1), placed in one pass
  // over the columns where the details come in the columns' order, as every reader gives them;
  // empty when the table has none or they come in another order.
  static std::vector<const dataaccess::ColumnDetails*> DetailsByPosition(DataTable& table) {
    std::vector<const dataaccess::ColumnDetails*> by_position;
    const dataaccess::TableObjects* objects = table.Objects();
    if (objects == nullptr || objects->columns.empty()) return by_position;
    const std::vector<dataaccess::ColumnDetails>& details = objects->columns;
    size_t next = 0;
    const std::unique_ptr<dataaccess::Enumerator<DataColumn>> columns = table.Columns().Enumerate();
    while (const DataColumn* column = columns->Next()) {
      const int position = column->OrdinalPosition();
      if (position < 1) return {};
      if (static_cast<size_t>(position) > by_position.size()) by_position.resize(position);
      if (next < details.size() && column->IsNamed(details[next].column)) {
        by_position[position - 1] = &details[next++];
      }
    }
    if (next < details.size()) return {};
    return by_position;
  }

  // The details of `column` of `table`, from `by_position` (DetailsByPosition) when it has them.
  static const dataaccess::ColumnDetails* DetailsAt(
      const std::vector<const dataaccess::ColumnDetails*>& by_position, const DataColumn& column,
      const DataTable& table) {
    if (by_position.empty()) return DetailsOf(column, table);
    const auto position = static_cast<size_t>(column.OrdinalPosition());
    return position >= 1 && position <= by_position.size() ? by_position[position - 1] : nullptr;
  }

  // `details` are the column's (DetailsOf), null when it has none. Without `with_default` the
  // default is left out: both of its texts stay empty.
  ColumnSide SideOf(const DataColumn& column, const dataaccess::ColumnDetails* details,
                    const DataConnection& connection, bool with_default = true) const {
    ColumnSide side;
    const int32_t data_type = column.DataType();
    const bool mysql = dataaccess::EscapesWithBackslash(connection.Engine());
    if (details && with_default) {
      side.default_meaning =
          DefaultMeaningOf(details->default_value, data_type, column.Size(), mysql);
      side.default_shown = OneLineSql(details->default_value);
    }
    if (details && !details->on_update.isEmpty()) {
      side.on_update_meaning =
          DefaultMeaningOf(details->on_update, data_type, column.Size(), mysql);
      side.on_update_shown = OneLineSql(details->on_update);
    }
    if (details) {
      if (const dataaccess::ColumnGeneration* generation = details->generation.get();
          generation != nullptr && !generation->expression.isEmpty()) {
        side.generated_meaning =
            dataaccess::ExpressionMeaning(generation->expression, {mysql, across_engines_});
        side.generated_shown = OneLineSql(generation->expression);
        side.storage = generation->stored ? QStringLiteral("STORED") : QStringLiteral("VIRTUAL");
      }
    }
    side.collation =
        details != nullptr && !details->CollationName().isEmpty()
            ? dataaccess::CollationOf(connection.Engine(), details, data_type, connection.Objects())
            : DefaultCollationOf(connection);
    return side;
  }

  // The collation of a column that names none: its database's default, read once a side.
  const dataaccess::EffectiveCollation& DefaultCollationOf(const DataConnection& connection) const {
    return &connection == &driving_ ? driving_collation_ : other_collation_;
  }
  static dataaccess::EffectiveCollation DatabaseCollation(
      const DataConnection& connection) noexcept {
    dataaccess::EffectiveCollation collation;
    Guarded([&] {
      collation = dataaccess::CollationOf(connection.Engine(), nullptr, 0, connection.Objects());
    });
    return collation;
  }

  // A schema repeats a few defaults over thousands of columns, and taking one apart costs more
  // than the rest of a field's comparison: each default's meaning is worked out once a walk.
  // `mysql`: the default is MySQL's SQL, whose strings escape with a backslash.
  QString DefaultMeaningOf(const QString& value, int32_t data_type, int32_t size,
                           bool mysql) const {
    const dataaccess::ExpressionOrigin origin{mysql, across_engines_};
    if (value.isEmpty()) return dataaccess::DefaultMeaning(value, data_type, size, origin);
    auto key = std::make_tuple(value, data_type, size, mysql);
    auto found = default_meanings_.find(key);
    if (found == default_meanings_.end()) {
      QString meaning = dataaccess::DefaultMeaning(value, data_type, size, origin);
      found = default_meanings_.emplace(std::move(key), std::move(meaning)).first;
    }
    return found->second;
  }

  ColumnFacts FactsOf(const DataColumn& column, const DataTable& table,
                      const DataConnection& connection) const {
    ColumnFacts facts;
    facts.data_type = column.DataType();
    facts.size = column.Size();
    facts.attributes = column.Attributes();
    facts.required = column.Required();
    facts.declared_type = column.DeclaredType();
    facts.labels = column.EnumerationLabels();
    static const QString kSqlite = dataaccess::EngineName(dataaccess::TypeDialect::kSqlite);
    facts.width_not_enforced =
        (&connection == &driving_ ? driving_engine_ : other_engine_) == kSqlite;
    const ColumnSide side = SideOf(column, DetailsOf(column, table), connection);
    facts.has_default = !side.default_meaning.isEmpty();
    facts.default_known = (told_ & kCompareDefaults) != 0;
    facts.default_value = side.default_shown;
    facts.case_blind = side.collation.traits.case_blind;
    facts.accent_blind = side.collation.traits.accent_blind;
    facts.collation = side.collation.name;
    return facts;
  }

  // One paragraph when the databases' default collations differ (rule 14 of column_rules.h).
  void CompareDefaultCollations() {
    Guarded([&] {
      const dataaccess::DatabaseObjects* mine = driving_.Objects();
      const dataaccess::DatabaseObjects* theirs = other_.Objects();
      if (mine == nullptr || theirs == nullptr ||
          !dataaccess::DefaultCollationsDiffer(driving_.Engine(), *mine, other_.Engine(),
                                               *theirs)) {
        return;
      }
      Difference difference = Paragraph(Difference::Kind::kDatabaseProperties, QString());
      const auto facts = [](const DataConnection& connection,
                            const dataaccess::DatabaseObjects& objects) {
        ColumnFacts result;
        result.collation = objects.default_collation;
        const dataaccess::CollationTraits traits = dataaccess::TraitsOfCollation(
            connection.Engine(), objects.default_collation, objects.default_collation_locale,
            objects.default_collation_deterministic);
        result.case_blind = traits.case_blind;
        result.accent_blind = traits.accent_blind;
        return result;
      };
      difference.driving_column = facts(driving_, *mine);
      difference.other_column = facts(other_, *theirs);
      difference.properties.push_back(
          {PropertyId::kDefaultCollation, mine->default_collation, theirs->default_collation});
      Report(difference);
    });
  }

  static std::vector<ComparableObject::Property> SequenceProperties(
      const dataaccess::SequenceDefinition& sequence) {
    const QString increment = QString::number(sequence.increment);
    const QString start = QString::number(sequence.start);
    const QString bounds = dataaccess::SequenceBoundsMeaning(sequence);
    const QString shown_bounds =
        QString::number(sequence.minimum) + QLatin1String("..") + QString::number(sequence.maximum);
    const QString cycle = sequence.cycle ? QStringLiteral("CYCLE") : QStringLiteral("NO CYCLE");
    return {{PropertyId::kIncrement, increment, increment},
            {PropertyId::kBounds, bounds, shown_bounds},
            {PropertyId::kStart, start, start},
            {PropertyId::kCycle, cycle, cycle},
            {PropertyId::kOwnedBy, sequence.owned_by.toLower(), sequence.owned_by}};
  }

  static ObjectFacts SequenceFacts(const dataaccess::SequenceDefinition& sequence) {
    ObjectFacts facts;
    facts.minimum = sequence.minimum;
    facts.maximum = sequence.maximum;
    return facts;
  }

  // The properties, one for one, in which an object of the database differs from its namesake,
  // each added to `difference` with its two values; ignored ones are left out.
  void AddDifferingProperties(const std::vector<ComparableObject::Property>& properties,
                              const std::vector<ComparableObject::Property>& other_properties,
                              Difference& difference) const {
    for (size_t i = 0; i < properties.size(); ++i) {
      if ((options_.ignored_properties & WordsOf(properties[i].id).ignore_bit) != 0) continue;
      if (properties[i].compared == other_properties[i].compared) continue;
      difference.properties.push_back(
          {properties[i].id, properties[i].shown, other_properties[i].shown});
    }
  }

  // Each sequence of the driving side looked up by name on the other side.
  void WalkSequences() {
    const dataaccess::DatabaseObjects* mine = nullptr;
    const dataaccess::DatabaseObjects* theirs = nullptr;
    if (!Guarded([&] {
          mine = driving_.Objects();
          theirs = other_.Objects();
        }) ||
        mine == nullptr || theirs == nullptr) {
      return;
    }
    // A column's own numbering, across engines, is the column's (rule 18).
    QHash<QString, int> uses;
    if (across_engines_ && !mine->sequences.empty() &&
        !Guarded([&] { uses = dataaccess::SequenceUses(driving_); })) {
      return;
    }
    for (const dataaccess::SequenceDefinition& sequence : mine->sequences) {
      if (across_engines_ && dataaccess::IsColumnNumbering(sequence, uses)) continue;
      const dataaccess::SequenceDefinition* match = nullptr;
      for (const dataaccess::SequenceDefinition& candidate : theirs->sequences) {
        if (candidate.name.compare(sequence.name, Qt::CaseInsensitive) == 0) {
          match = &candidate;
          break;
        }
      }
      if (!filter_.IsEmpty() && !filter_.Selects(sequence.name, match ? match->name : QString())) {
        continue;
      }
      Difference difference;
      difference.object_kind = ObjectKindId::kSequence;
      difference.object = sequence.name;
      difference.object_name = sequence.name;
      difference.driving_facts = SequenceFacts(sequence);
      if (match == nullptr) {
        difference.kind = Difference::Kind::kSequenceMissing;
        Report(difference);
        continue;
      }
      AddDifferingProperties(SequenceProperties(sequence), SequenceProperties(*match), difference);
      if (difference.properties.empty()) continue;
      difference.kind = Difference::Kind::kSequenceProperties;
      difference.other_object = match->name;
      difference.other_facts = SequenceFacts(*match);
      Report(difference);
    }
  }

  // Each collation the driving side defines looked up by name on the other side, within one
  // engine (rule 14 of column_rules.h): across engines the columns that use one are compared by
  // what it does, and another engine names its collations otherwise.
  void WalkCollations() {
    const dataaccess::DatabaseObjects* mine = nullptr;
    const dataaccess::DatabaseObjects* theirs = nullptr;
    int both = 0;
    if (!Guarded([&] {
          mine = driving_.Objects();
          theirs = other_.Objects();
          both = driving_.ObjectKinds() & other_.ObjectKinds();
        }) ||
        mine == nullptr || theirs == nullptr || !(both & dataaccess::kCollationObjects)) {
      return;
    }
    const auto properties_of = [](const dataaccess::CollationDefinition& collation) {
      const QString deterministic = collation.deterministic ? QStringLiteral("DETERMINISTIC")
                                                            : QStringLiteral("NONDETERMINISTIC");
      return std::vector<ComparableObject::Property>{
          {PropertyId::kProvider, collation.provider, collation.provider},
          {PropertyId::kLocale, collation.locale, collation.locale},
          {PropertyId::kDeterministic, deterministic, deterministic}};
    };
    for (const dataaccess::CollationDefinition& collation : mine->collations) {
      const auto match = std::find_if(
          theirs->collations.begin(), theirs->collations.end(),
          [&](const dataaccess::CollationDefinition& c) { return c.name == collation.name; });
      Difference difference;
      difference.object_kind = ObjectKindId::kCollation;
      difference.object = collation.name;
      difference.object_name = collation.name;
      if (match == theirs->collations.end()) {
        difference.kind = Difference::Kind::kDatabaseObjectMissing;
        Report(difference);
        continue;
      }
      AddDifferingProperties(properties_of(collation), properties_of(*match), difference);
      if (difference.properties.empty()) continue;
      difference.kind = Difference::Kind::kDatabaseObjectProperties;
      difference.other_object = match->name;
      Report(difference);
    }
  }

  DataConnection& driving_;
  const QString driving_source_;
  DataConnection& other_;
  const QString other_source_;
  ResultsView& view_;
  ReportText text_;
  const WalkOptions& options_;
  const TableFilter filter_;
  // Whether paragraphs are described as data: for an observer, or for their risk lines.
  const bool describing_;
  // The ComparedKind bits asked for that both sides can tell.
  const int told_;
  const bool across_engines_;
  const QString driving_engine_;  // DataConnection::Engine, empty when unknown
  const QString other_engine_;
  mutable std::map<std::tuple<QString, int32_t, int32_t, bool>, QString> default_meanings_;
  const dataaccess::EffectiveCollation driving_collation_;
  const dataaccess::EffectiveCollation other_collation_;
  // The details of the fields of the table pair being walked (DetailsByPosition).
  std::vector<const dataaccess::ColumnDetails*> field_details_;
  std::vector<const dataaccess::ColumnDetails*> match_details_;
  int paragraphs_ = 0;
};

}  // namespace

int CompareTables(DataConnection& driving, const QString& driving_name, DataConnection& other,
                  const QString& other_name, ResultsView& view,
                  const WalkOptions& options) noexcept {
  try {
    return TableWalk(driving, driving_name, other, other_name, view, options).Run();
  } catch (const std::exception&) {
    // Only taking the patterns apart can get here (out of memory): nothing was walked.
    return 0;
  }
}

QStringList PatternsMatchingNoTable(const QStringList& patterns, DataConnection& first,
                                    DataConnection& second) noexcept {
  QStringList result;
  if (patterns.isEmpty()) return result;
  Guarded([&] {
    std::vector<std::u32string> unmatched = GlobTexts(patterns);
    QStringList unmatched_patterns = patterns;
    for (DataConnection* side : {&first, &second}) {
      std::unique_ptr<dataaccess::Enumerator<DataTable>> tables;
      if (!Guarded([&] { tables = side->Tables().Enumerate(); })) return;
      while (!unmatched.empty()) {
        DataTable* table = nullptr;
        if (!Guarded([&] { table = tables->Next(); })) return;
        if (table == nullptr) break;
        QString name;
        if (!Guarded([&] { name = table->Name(); })) continue;
        const std::u32string text = GlobText(name);
        for (size_t i = unmatched.size(); i-- > 0;) {
          if (GlobMatches(unmatched[i], text)) {
            unmatched.erase(unmatched.begin() + static_cast<std::ptrdiff_t>(i));
            unmatched_patterns.removeAt(static_cast<qsizetype>(i));
          }
        }
      }
    }
    result = unmatched_patterns;
  });
  return result;
}

}  // namespace vantrel
