#include "vantrel/core/comparison_run.h"

#include <algorithm>

#include "dataaccess/object_rules.h"

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/data_engine.h"
#include "vantrel/core/compare_tables.h"
#include "vantrel/core/program_objects.h"
#include "vantrel/core/report_text.h"
#include "vantrel/core/visible_text.h"

#include <tuple>

namespace vantrel {
namespace {

struct OpenSide {
  QString display_name;
  std::unique_ptr<dataaccess::DataConnection> connection;
};

// A side whose database was reached and whose catalog is being read on a worker thread.
struct PendingSide {
  QString display_name;
  std::unique_ptr<dataaccess::PendingConnection> read;
};

PendingSide Begin(const SourceLookup& lookup, Side side, int32_t read_options) {
  try {
    const DataSource source = lookup();
    return {source.display_name,
            dataaccess::DataEngine::Instance().Environments().Item(0).BeginOpenConnection(
                source.database_name, dataaccess::kPromptCompleteRequired, true,
                source.connect_string, read_options)};
  } catch (const component::Error& error) {
    throw SideError(side, error);
  }
}

OpenSide Finish(PendingSide& pending, Side side) {
  try {
    return {pending.display_name, pending.read->Take()};
  } catch (const component::Error& error) {
    throw SideError(side, error);
  }
}

void Close(dataaccess::DataConnection& connection, Side side) {
  try {
    connection.Close();
  } catch (const component::Error& error) {
    throw SideError(side, error);
  }
}

// Passes the walk's differences on, saying which side the walk started from.
class SideObserver final : public DifferenceObserver {
 public:
  SideObserver(DifferenceObserver* inner, bool primary) : inner_(inner), primary_(primary) {}
  void Found(const Difference& difference) override {
    Difference told = difference;
    told.driving_is_primary = primary_;
    inner_->Found(told);
  }

 private:
  DifferenceObserver* inner_;
  bool primary_;
};

// The options of one of the two walks.
WalkOptions WalkFrom(const WalkOptions& options, SideObserver* observer, bool from_primary) {
  WalkOptions walk = options;
  if (options.observer) walk.observer = observer;
  walk.driving_is_primary = from_primary;
  return walk;
}

QString QualifiedName(const QString& display_name, const dataaccess::DataConnection& connection) {
  try {
    return VisibleText(display_name) + "." + VisibleText(connection.DatabaseName());
  } catch (const std::exception&) {
    return VisibleText(display_name);
  }
}

// A side of a comparison as a "Not compared" paragraph names it.
struct NamedSide {
  const QString& display_name;
  const dataaccess::DataConnection& connection;
};
QString QualifiedName(const NamedSide& side) {
  return QualifiedName(side.display_name, side.connection);
}

void AppendNotCompared(ResultsView& view, const NotCompared& gap, const NamedSide& side,
                       const NamedSide& other) {
  try {
    AppendNotComparedParagraph(view, WordsOf(gap.what), gap.across_engines, QualifiedName(side),
                               QualifiedName(other));
  } catch (const std::exception&) {
    // The outcome still says it; only the report's sentence is lost.
  }
}

// Whether a table of `connection` has objects for which `has` is true.
template <class Has>
bool AnyTable(const dataaccess::DataConnection& connection, Has&& has) {
  const auto tables = connection.Tables().Enumerate();
  while (const dataaccess::DataTable* table = tables->Next()) {
    const dataaccess::TableObjects* objects = table->Objects();
    if (objects != nullptr && has(*objects)) return true;
  }
  return false;
}

// True when some table of `first` and the table of the same name in `second` both `has`.
template <class Has>
bool AnyMatchedTable(const dataaccess::DataConnection& first,
                     const dataaccess::DataConnection& second, Has&& has) {
  const auto tables = first.Tables().Enumerate();
  while (const dataaccess::DataTable* table = tables->Next()) {
    const dataaccess::TableObjects* objects = table->Objects();
    if (objects == nullptr || !has(*objects)) continue;
    try {
      const dataaccess::TableObjects* matched = second.Tables().Item(table->Name()).Objects();
      if (matched != nullptr && has(*matched)) return true;
    } catch (const component::Error&) {
      // No namesake: nothing of this table was compared.
    }
  }
  return false;
}

}  // namespace

int32_t OpenOptionsFor(int compared) { return compared & kCompareObjects; }

std::vector<NotComparedId> KindsNotTold(const dataaccess::DataConnection& side,
                                        const dataaccess::DataConnection& other,
                                        int compared) noexcept {
  std::vector<NotComparedId> kinds;
  try {
    const int told = side.ObjectKinds();
    // What only some engines have is said only where the other side has some of it: a side
    // that cannot tell rules left nothing out where the other has none.
    const auto other_has_some = [&](int kind) {
      return AnyTable(other, [kind](const dataaccess::TableObjects& objects) {
        return kind == kCompareRules ? !objects.rules.empty() : objects.unlogged;
      });
    };
    for (const ComparedKindWords& kind : ComparedKinds()) {
      if (!kind.not_told || !(compared & kind.kind) || (told & kind.kind)) continue;
      if (kind.only_where_the_other_has_some && !other_has_some(kind.kind)) continue;
      kinds.push_back(*kind.not_told);
    }
    const auto has_method = [](const dataaccess::TableObjects& objects) {
      return std::any_of(objects.indexes.begin(), objects.indexes.end(),
                         [](const dataaccess::IndexDefinition& index) {
                           return dataaccess::IndexMethod(index) != QLatin1String("btree") ||
                                  !index.included.isEmpty();
                         });
    };
    if ((compared & kCompareIndexes) && (told & kCompareIndexes) &&
        !(told & dataaccess::kIndexMethods) && AnyTable(other, has_method)) {
      kinds.push_back(NotComparedId::kIndexMethods);
    }
    // Deferrability matters only where the other side can tell it, and where both sides have a
    // foreign key whose deferrability could have differed: the other side's deferrable key
    // against any of this side's. MySQL and MariaDB check every key at once: where the other
    // side defers none either, nothing was left out. Another side that cannot tell (an ODBC
    // source) may defer any of its keys.
    const int other_told = other.ObjectKinds();
    const auto has_foreign_keys = [](const dataaccess::TableObjects& objects) {
      return !objects.foreign_keys.empty();
    };
    const bool always_immediate =
        side.Engine() == dataaccess::EngineName(dataaccess::TypeDialect::kMysql);
    const auto has_keys_that_may_defer = [&](const dataaccess::TableObjects& objects) {
      if (!always_immediate) return !objects.foreign_keys.empty();
      return std::any_of(
          objects.foreign_keys.begin(), objects.foreign_keys.end(),
          [](const dataaccess::ForeignKeyDefinition& key) { return key.deferrable; });
    };
    if ((compared & kCompareForeignKeys) && (told & dataaccess::kForeignKeys) &&
        (other_told & dataaccess::kForeignKeys) && !(told & dataaccess::kForeignKeyDeferrability) &&
        (other_told & dataaccess::kForeignKeyDeferrability) && AnyTable(side, has_foreign_keys) &&
        AnyTable(other, has_keys_that_may_defer)) {
      kinds.push_back(NotComparedId::kForeignKeyDeferrability);
    }
  } catch (const std::exception&) {
    // A side that cannot say what it tells is taken to tell what it read.
  }
  return kinds;
}

std::vector<NotComparedId> KindsNotComparedAcrossEngines(const dataaccess::DataConnection& first,
                                                         const dataaccess::DataConnection& second,
                                                         int compared) noexcept {
  std::vector<NotComparedId> kinds;
  try {
    if (first.Engine() == second.Engine()) return kinds;
    const int told = first.ObjectKinds() & second.ObjectKinds() & compared;
    // Said only where a table or view of one side and its namesake on the other both have
    // something of the kind that went uncompared: nothing else would have been compared.
    const auto both_have = [&](auto&& has) { return AnyMatchedTable(first, second, has); };
    if ((told & kCompareViews) && both_have([](const dataaccess::TableObjects& objects) {
          return !objects.view_definition.isEmpty();
        })) {
      kinds.push_back(NotComparedId::kViewDefinitions);
    }
    if ((told & kCompareTriggers) && both_have([](const dataaccess::TableObjects& objects) {
          return !objects.triggers.empty();
        })) {
      kinds.push_back(NotComparedId::kTriggerBodies);
    }
  } catch (const std::exception&) {
    // A side that cannot say its engine is compared as if it were the other's.
  }
  return kinds;
}

UnmatchedPatternsError::UnmatchedPatternsError(QStringList include, QStringList exclude)
    : component::Error(component::kInvalidProcedureCall, QStringLiteral("Vantrel"),
                       QStringLiteral("No table of either database matches '%1'")
                           .arg((include + exclude).join(QStringLiteral("', '")))),
      include_(std::move(include)),
      exclude_(std::move(exclude)) {}

ComparisonOutcome CompareBothWays(dataaccess::DataConnection& primary, const QString& primary_name,
                                  dataaccess::DataConnection& secondary,
                                  const QString& secondary_name, ResultsView& view,
                                  const WalkOptions& options) {
  SideObserver from_primary(options.observer, true);
  SideObserver from_secondary(options.observer, false);
  ComparisonOutcome outcome;
  outcome.differences += CompareTables(primary, primary_name, secondary, secondary_name, view,
                                       WalkFrom(options, &from_primary, true));
  outcome.differences += CompareTables(secondary, secondary_name, primary, primary_name, view,
                                       WalkFrom(options, &from_secondary, false));
  const NamedSide first{primary_name, primary};
  const NamedSide second{secondary_name, secondary};
  for (const auto& [side, open, other] : {std::tuple{Side::kPrimary, &first, &second},
                                          std::tuple{Side::kSecondary, &second, &first}}) {
    for (const NotComparedId what :
         KindsNotTold(open->connection, other->connection, options.compared)) {
      outcome.not_compared.push_back({side, what});
      AppendNotCompared(view, outcome.not_compared.back(), *open, *other);
    }
  }
  for (const NotComparedId what :
       KindsNotComparedAcrossEngines(primary, secondary, options.compared)) {
    outcome.not_compared.push_back({Side::kPrimary, what, true});
    AppendNotCompared(view, outcome.not_compared.back(), first, second);
  }
  return outcome;
}

ComparisonOutcome RunComparison(
    const SourceLookup& primary, const SourceLookup& secondary, ResultsView& view,
    const std::function<void(const ComparisonOutcome&, const OpenSides&)>& before_close,
    const WalkOptions& options) {
  view.ClearText();
  // The secondary is reached only once the primary was, and its catalog is read while the
  // primary's still is. Either read's failure is its side's open failure, before any walk.
  const int32_t read_options =
      options.read_every_object ? dataaccess::kReadEveryObject : OpenOptionsFor(options.compared);
  PendingSide first_read = Begin(primary, Side::kPrimary, read_options);
  PendingSide second_read = Begin(secondary, Side::kSecondary, read_options);
  const OpenSide first = Finish(first_read, Side::kPrimary);
  const OpenSide second = Finish(second_read, Side::kSecondary);
  QStringList include =
      PatternsMatchingNoTable(options.include, *first.connection, *second.connection);
  QStringList exclude =
      PatternsMatchingNoTable(options.exclude, *first.connection, *second.connection);
  if (!include.isEmpty() || !exclude.isEmpty()) {
    throw UnmatchedPatternsError(std::move(include), std::move(exclude));
  }
  ComparisonOutcome outcome =
      CompareBothWays(*first.connection, first.display_name, *second.connection,
                      second.display_name, view, options);
  if (before_close) {
    before_close(outcome,
                 {*first.connection, first.display_name, *second.connection, second.display_name});
  }
  Close(*first.connection, Side::kPrimary);
  Close(*second.connection, Side::kSecondary);
  return outcome;
}

ComparisonOutcome RunComparison(const DataSource& primary, const DataSource& secondary,
                                ResultsView& view, const WalkOptions& options) {
  return RunComparison([&] { return primary; }, [&] { return secondary; }, view, {}, options);
}

bool ReportIsBlank(const QString& report) { return ProgramStrings().IsBlank(report); }

}  // namespace vantrel
