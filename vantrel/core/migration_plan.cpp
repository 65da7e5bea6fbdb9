// From the differences to the steps of a migration script: what each difference asks of which
// table, then the steps of each table in the secondary's dialect, views dropped and made again
// around what they read, sequences, what no statement answers, and which steps are held back.
#include <QHash>
#include <QSet>
#include <algorithm>
#include <map>

#include "dataaccess/table_objects.h"
#include "platform/component/error.h"
#include "vantrel/core/difference_risk.h"
#include "vantrel/core/migration_plan_parts.h"
#include "vantrel/core/migration_script.h"
#include "vantrel/core/report_text.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

namespace dx = dataaccess;
using migration::Quoted;
using migration::TableWork;
using Phase = MigrationStep::Phase;
using Kind = Difference::Kind;

const dx::DataTable* TableOf(const dx::DataConnection& connection, const QString& name) {
  if (name.isEmpty()) return nullptr;
  try {
    return &connection.Tables().Item(name);
  } catch (const component::Error&) {
    return nullptr;
  }
}

// The object of `side`'s table that a difference's definition names.
const ComparableObject* FindObject(const std::vector<ComparableObject>& objects, ObjectKindId kind,
                                   const QString& definition, const QString& name) {
  const ComparableObject* by_definition = nullptr;
  for (const ComparableObject& object : objects) {
    if (object.kind != kind || object.definition != definition) continue;
    if (object.name == name) return &object;
    if (by_definition == nullptr) by_definition = &object;
  }
  return by_definition;
}

// Two fields' definitions as far as a rename could keep them: type and NOT NULL.
QString FieldShape(const dx::DataColumn& column) {
  return QString::number(column.DataType()) + u'/' + QString::number(column.Size()) + u'/' +
         QString::number(column.Required());
}

QString TableShape(const dx::DataTable& table) {
  QStringList shape;
  const auto columns = table.Columns().Enumerate();
  while (const dx::DataColumn* column = columns->Next()) {
    shape.append(column->Name().toLower() + u':' + FieldShape(*column));
  }
  return shape.join(u',');
}

class Planner {
 public:
  Planner(const dx::DataConnection& primary, const dx::DataConnection& secondary,
          const MigrationOptions& options, MigrationScript& script)
      : primary_(primary),
        secondary_(secondary),
        options_(options),
        script_(script),
        sql_(script.dialect, DialectOfEngine(primary.Engine()), primary.DatabaseName(),
             primary.Objects()),
        own_sql_(script.dialect, script.dialect),
        sides_{primary,
               secondary,
               sql_,
               own_sql_,
               script.differences,
               options.compared,
               options.ignored_properties} {}

  void Plan() {
    for (int i = 0; i < static_cast<int>(script_.differences.size()); ++i) Gather(i);
    if (script_.dialect != TypeDialect::kSqlite) KeepForeignKeysAroundTypeChanges();
    QSet<QString> rebuilt_tables;
    for (auto& [name, work] : tables_) {
      bool rebuilt = false;
      migration::PlanTableChanges(sides_, work, &script_.steps, &rebuilt);
      // A view over a table that is rebuilt, or whose fields change or go, is made again.
      if (rebuilt || !work.changed.isEmpty() || !work.dropped.isEmpty()) changing_.insert(name);
      if (rebuilt) rebuilt_tables.insert(name);
    }
    PlanTriggersAround(rebuilt_tables);
    migration::PlanEnumTypes(sides_, FieldsMade(), &script_.steps);
    for (const auto& [name, answer] : new_tables_) PlanNewTable(name, answer);
    for (const auto& [name, answer] : dropped_tables_) PlanDroppedTable(name, answer);
    PlanViews();
    PlanSequences();
    AnswerTheRest();
    Judge();
    if (script_.dialect != TypeDialect::kSqlite) LeaveForeignKeysOfChangesHeldBack();
    std::stable_sort(
        script_.steps.begin(), script_.steps.end(),
        [](const MigrationStep& a, const MigrationStep& b) { return a.phase < b.phase; });
    KeepWhatAHeldBackStepWouldReplace();
    HoldBackWhatTakesTheNameOfWhatStays();
    HoldBackWhatNeedsATableNotMade();
  }

 private:
  TableWork& Work(const QString& secondary_name, const QString& primary_name) {
    TableWork& work = tables_[secondary_name];
    if (work.secondary == nullptr) {
      work.name = secondary_name;
      work.secondary = TableOf(secondary_, secondary_name);
      work.primary = TableOf(primary_, primary_name);
    }
    return work;
  }

  void Gather(int i) {
    const Difference& d = script_.differences[static_cast<size_t>(i)];
    const bool from_primary = d.driving_is_primary;
    // The table's name on each side.
    const QString primary_table = from_primary ? d.table : d.other_table;
    const QString secondary_table = from_primary ? d.other_table : d.table;
    switch (d.kind) {
      case Kind::kTableMissing:
        if (d.object_kind == ObjectKindId::kView) {
          (from_primary ? new_views_ : dropped_views_).insert(d.table, i);
        } else {
          (from_primary ? new_tables_ : dropped_tables_).emplace(d.table, i);
        }
        return;
      case Kind::kFieldMissing:
      case Kind::kFieldProperties: {
        const dx::DataTable* primary = TableOf(primary_, primary_table);
        if (primary != nullptr && primary->IsView()) {
          replaced_views_.insert(primary_table, i);
          return;
        }
        TableWork& work = Work(secondary_table, primary_table);
        work.answers.push_back(i);
        if (d.kind == Kind::kFieldProperties) {
          work.changed.append(d.field);
          work.changed_answers.push_back(i);
        } else {
          (from_primary ? work.added : work.dropped).append(d.field);
        }
        return;
      }
      case Kind::kObjectMissing:
      case Kind::kObjectProperties:
        GatherObject(i, d, primary_table, secondary_table);
        return;
      case Kind::kSequenceMissing:
      case Kind::kSequenceProperties:
        sequences_.push_back(i);
        return;
      default:
        return;  // the databases' own properties: answered by no statement
    }
  }

  void GatherObject(int i, const Difference& d, const QString& primary_table,
                    const QString& secondary_table) {
    if (d.object_kind == ObjectKindId::kView) {
      replaced_views_.insert(primary_table, i);
      return;
    }
    TableWork& work = Work(secondary_table, primary_table);
    if (work.primary == nullptr || work.secondary == nullptr) return;
    work.answers.push_back(i);
    if (d.object_kind == ObjectKindId::kPersistence) {
      work.persistence_answer = i;
      return;
    }
    const std::vector<ComparableObject> primary_objects = ComparableObjects(
        {primary_, *work.primary, secondary_, *work.secondary}, options_.compared, false);
    const std::vector<ComparableObject> secondary_objects = ComparableObjects(
        {secondary_, *work.secondary, primary_, *work.primary}, options_.compared, false);
    const bool from_primary = d.driving_is_primary;
    const std::vector<ComparableObject>& driving =
        from_primary ? primary_objects : secondary_objects;
    const std::vector<ComparableObject>& other = from_primary ? secondary_objects : primary_objects;
    const ComparableObject* found = FindObject(driving, d.object_kind, d.object, d.object_name);
    const ComparableObject* matched =
        d.kind == Kind::kObjectProperties
            ? FindObject(other, d.object_kind, d.other_object, QString())
            : nullptr;
    const ComparableObject* primary_object = from_primary ? found : matched;
    const ComparableObject* secondary_object = from_primary ? matched : found;
    if (secondary_object != nullptr) work.drops.push_back({i, *secondary_object});
    if (primary_object != nullptr) work.creates.push_back({i, *primary_object});
  }

  // PostgreSQL, MySQL and MariaDB refuse to change the type of a field that a foreign key holds
  // to another field (on either end) while the key stands. Such a key that compares equal is
  // dropped before the change and made again after it; one that differs is dropped or made by
  // its own difference already. SQLite rebuilds with foreign keys off.
  void KeepForeignKeysAroundTypeChanges() {
    QHash<QString, int> typed;  // "table\nfield" in lower case: the difference that changes it
    for (const auto& [name, work] : tables_) {
      const size_t count =
          std::min(static_cast<size_t>(work.changed.size()), work.changed_answers.size());
      for (size_t i = 0; i < count; ++i) {
        const Difference& d = script_.differences[static_cast<size_t>(work.changed_answers[i])];
        const bool retyped = std::any_of(d.properties.begin(), d.properties.end(), [](auto& p) {
          return p.id == PropertyId::kDataType || p.id == PropertyId::kSize ||
                 p.id == PropertyId::kAttributes;
        });
        if (retyped) {
          typed.insert(Key(name, work.changed[static_cast<qsizetype>(i)]), work.changed_answers[i]);
        }
      }
    }
    if (typed.isEmpty()) return;
    const auto tables = secondary_.Tables().Enumerate();
    while (const dx::DataTable* table = tables->Next()) {
      const dx::TableObjects* objects = table->Objects();
      if (objects == nullptr || objects->foreign_keys.empty()) continue;
      for (size_t k = 0; k < objects->foreign_keys.size(); ++k) {
        const std::vector<int> answers =
            RetypedAnswers(objects->foreign_keys[k], table->Name(), typed);
        if (answers.empty()) continue;
        if (KeepForeignKeyAround(*table, static_cast<int>(k), answers.front())) {
          keys_kept_around_.push_back(answers);
        }
      }
    }
  }

  // A foreign key dropped around a change of type stays where that change is held back: on
  // PostgreSQL and MySQL the only steps that drop or make an object for a field's difference.
  // Where a change at one end of such a key is held back, the changes at its other end are held
  // back with it: the key's two ends keep one type.
  void LeaveForeignKeysOfChangesHeldBack() {
    QSet<int> written;  // the field differences a written change answers
    for (bool again = true; again;) {
      again = false;
      written.clear();
      for (const MigrationStep& step : script_.steps) {
        if (step.phase != Phase::kChangeTables || !step.held_back.isEmpty()) continue;
        for (const int answer : step.answers) written.insert(answer);
      }
      for (const std::vector<int>& ends : keys_kept_around_) {
        if (std::all_of(ends.begin(), ends.end(),
                        [&](int answer) { return written.contains(answer); })) {
          continue;
        }
        for (MigrationStep& step : script_.steps) {
          if (step.phase != Phase::kChangeTables || !step.held_back.isEmpty()) continue;
          if (std::none_of(ends.begin(), ends.end(), [&](int answer) {
                return std::find(step.answers.begin(), step.answers.end(), answer) !=
                       step.answers.end();
              })) {
            continue;
          }
          step.held_back =
              "kept while the change of the other end of a foreign key it is held to is held "
              "back: the two ends keep one type";
          step.inexpressible = true;
          again = true;
        }
      }
    }
    std::erase_if(script_.steps, [&](const MigrationStep& step) {
      if (step.phase != Phase::kDropObjects && step.phase != Phase::kCreateObjects) return false;
      if (step.answers.size() != 1 || step.answers.front() < 0) return false;
      const int answer = step.answers.front();
      return script_.differences[static_cast<size_t>(answer)].kind == Kind::kFieldProperties &&
             !written.contains(answer);
    });
  }

  static QString Key(const QString& table, const QString& field) {
    return table.toLower() + u'\n' + field.toLower();
  }

  // The differences that change the types of the fields `key` holds, on either end.
  std::vector<int> RetypedAnswers(const dx::ForeignKeyDefinition& key, const QString& table,
                                  const QHash<QString, int>& typed) const {
    std::vector<int> answers;
    const auto add = [&](const QString& owner, const QStringList& columns) {
      for (const QString& column : columns) {
        if (const auto found = typed.constFind(Key(owner, column)); found != typed.cend()) {
          answers.push_back(*found);
        }
      }
    };
    add(table, key.columns);
    QStringList referenced = key.referenced_columns;
    if (referenced.isEmpty()) {  // the key names the referenced table's primary key
      const dx::DataTable* parent = TableOf(secondary_, key.referenced_table);
      const dx::TableObjects* objects = parent != nullptr ? parent->Objects() : nullptr;
      if (objects != nullptr && objects->primary_key) referenced = objects->primary_key->columns;
    }
    add(key.referenced_table, referenced);
    return answers;
  }

  // Whether the key is dropped and made again around the change `answer`, as the secondary has
  // it: it compares equal to the primary's, or is not compared, and keeps its name (MySQL's own
  // index for it is named after it).
  bool KeepForeignKeyAround(const dx::DataTable& table, int index, int answer) {
    TableWork& work = Work(table.Name(), table.Name());
    if (work.primary == nullptr || work.secondary == nullptr) return false;
    const auto is_it = [&](const migration::ObjectChange& change) {
      return change.object.kind == ObjectKindId::kForeignKey && change.object.source_index == index;
    };
    if (std::any_of(work.drops.begin(), work.drops.end(), is_it)) return false;
    for (const ComparableObject& object : ComparableObjects(
             {secondary_, *work.secondary, primary_, *work.primary}, kCompareAll, false)) {
      if (object.kind != ObjectKindId::kForeignKey || object.source_index != index) continue;
      work.drops.push_back({answer, object});
      work.creates.push_back({answer, object, true});
      return true;
    }
    return false;
  }

  // The primary's fields that the script makes or changes: those of new tables, and those added
  // or changed.
  std::vector<migration::FieldMade> FieldsMade() const {
    std::vector<migration::FieldMade> fields;
    for (const auto& [name, answer] : new_tables_) {
      const dx::DataTable* table = TableOf(primary_, name);
      if (table == nullptr) continue;
      const auto columns = table->Columns().Enumerate();
      while (const dx::DataColumn* column = columns->Next()) fields.push_back({column, answer});
    }
    for (const auto& [name, work] : tables_) {
      if (work.primary == nullptr || work.answers.empty()) continue;
      for (const QString& field : work.added + work.changed) {
        try {
          fields.push_back({&work.primary->Columns().Item(field), work.answers.front()});
        } catch (const component::Error&) {
          continue;  // a field the primary's table does not have by that name
        }
      }
    }
    return fields;
  }

  void PlanNewTable(const QString& name, int answer) {
    const dx::DataTable* table = TableOf(primary_, name);
    if (table == nullptr) return;
    const size_t first = script_.steps.size();
    migration::PlanNewTable(sides_, *table, answer, &script_.steps);
    // A table of the secondary's that goes, with the same fields, may be this one renamed.
    for (const auto& [old_name, old_answer] : dropped_tables_) {
      const dx::DataTable* old = TableOf(secondary_, old_name);
      if (old != nullptr && TableShape(*old) == TableShape(*table) &&
          first < script_.steps.size()) {
        script_.steps[first].notes.append("Table " + Quoted(old_name) +
                                          ", which goes, has the same fields: if this is a "
                                          "rename, ALTER TABLE ... RENAME TO keeps its rows.");
        renamed_.insert(old_name, name);
      }
    }
    if (first < script_.steps.size()) {
      for (const QString& parent : ParentsNowhere(*table)) {
        script_.steps[first].notes.append("Its foreign key names table " + Quoted(parent) +
                                          ", which the secondary does not have and this script "
                                          "does not make.");
      }
    }
  }

  // The tables the foreign keys of `table` (a new one) name that neither the secondary has nor
  // the script makes: left out of the comparison by --include or --exclude.
  QStringList ParentsNowhere(const dx::DataTable& table) const {
    QStringList nowhere;
    const dx::TableObjects* objects = table.Objects();
    if (objects == nullptr) return nowhere;

    for (const dx::ForeignKeyDefinition& key : objects->foreign_keys) {
      const QString& parent = key.referenced_table;
      if (parent.isEmpty() || TableOf(secondary_, parent) != nullptr ||
          NameOf(new_tables_, parent) || nowhere.contains(parent, Qt::CaseInsensitive)) {
        continue;
      }
      nowhere.append(parent);
    }
    return nowhere;
  }

  void PlanDroppedTable(const QString& name, int answer) {
    MigrationStep step;
    step.phase = Phase::kDropTables;
    step.title = "drop table " + Quoted(name);
    step.statements.append("DROP TABLE " + sql_.TableName(name) + u';');
    step.answers.push_back(answer);
    if (renamed_.contains(name)) {
      step.notes.append("Table " + Quoted(renamed_.value(name)) +
                        ", which is new, has the same fields: if this is a rename, ALTER TABLE "
                        "... RENAME TO keeps its rows.");
    }
    script_.steps.push_back(std::move(step));
    changing_.insert(name);
  }

  // SQLite checks every trigger when a table is renamed: a trigger of another table that names
  // one being rebuilt is dropped before and made again after, as the secondary has it.
  void PlanTriggersAround(const QSet<QString>& rebuilt) {
    if (rebuilt.isEmpty()) return;
    const auto tables = secondary_.Tables().Enumerate();
    while (const dx::DataTable* table = tables->Next()) {
      const dx::TableObjects* objects = table->Objects();
      if (objects == nullptr || rebuilt.contains(table->Name())) continue;
      const auto found = tables_.find(table->Name());
      for (const dx::TriggerDefinition& trigger : objects->triggers) {
        const migration::NamesIn read(trigger.body + u' ' + trigger.when);
        const bool reads_rebuilt =
            std::any_of(rebuilt.begin(), rebuilt.end(),
                        [&](const QString& name) { return read.Mentions(name); });
        // One the table's own changes drop already is made again by them, as the primary has it.
        const bool changing = found != tables_.end() &&
                              std::any_of(found->second.drops.begin(), found->second.drops.end(),
                                          [&](const migration::ObjectChange& drop) {
                                            return drop.object.kind == ObjectKindId::kTrigger &&
                                                   drop.object.name == trigger.name;
                                          });
        if (!reads_rebuilt || changing) continue;
        MigrationStep drop;
        drop.phase = Phase::kDropObjects;
        drop.title = "drop trigger " + Quoted(trigger.name) + " of table " + Quoted(table->Name());
        drop.notes.append(
            QStringLiteral("It names a table that is rebuilt; it is made again after."));
        drop.statements.append("DROP TRIGGER " + sql_.Name(trigger.name) + u';');
        script_.steps.push_back(std::move(drop));
        MigrationStep make;
        make.phase = Phase::kCreateObjects;
        make.title =
            "make again trigger " + Quoted(trigger.name) + " of table " + Quoted(table->Name());
        QStringList unwritten;
        make.statements.append(own_sql_.CreateTrigger(table->Name(), trigger, &unwritten));
        script_.steps.push_back(std::move(make));
      }
    }
  }

  // The secondary's views in the order they can be made: each after those it reads.
  QStringList SecondaryViewsInOrder(const QHash<QString, QString>& queries) const {
    QStringList order;
    QStringList pending = queries.keys();
    pending.sort();
    QHash<QString, migration::NamesIn> reads;
    for (auto it = queries.cbegin(); it != queries.cend(); ++it) {
      reads.insert(it.key(), migration::NamesIn(it.value()));
    }
    while (!pending.isEmpty()) {
      bool progressed = false;
      for (qsizetype i = 0; i < pending.size(); ++i) {
        const QString& view = pending[i];
        bool ready = true;
        for (const QString& other : pending) {
          if (other != view && reads.find(view)->Mentions(other)) ready = false;
        }
        if (!ready) continue;
        order.append(view);
        pending.removeAt(i);
        progressed = true;
        break;
      }
      // Views that read each other (or seem to): in name order.
      if (!progressed) {
        order.append(pending);
        break;
      }
    }
    return order;
  }

  static QHash<QString, QString> ViewQueries(const dx::DataConnection& connection) {
    QHash<QString, QString> queries;
    const auto tables = connection.Tables().Enumerate();
    while (const dx::DataTable* table = tables->Next()) {
      if (!table->IsView()) continue;
      const dx::TableObjects* objects = table->Objects();
      queries.insert(table->Name(), objects != nullptr ? objects->view_definition : QString());
    }
    return queries;
  }

  void PlanViews() {
    const QHash<QString, QString> old_queries = ViewQueries(secondary_);
    const QHash<QString, QString> new_queries = ViewQueries(primary_);
    // What goes or changes, and every view that reads any of it, as far as the names tell.
    QSet<QString> dropped;
    for (auto it = dropped_views_.cbegin(); it != dropped_views_.cend(); ++it)
      dropped.insert(it.key());
    for (auto it = replaced_views_.cbegin(); it != replaced_views_.cend(); ++it) {
      dropped.insert(it.key());
    }
    QSet<QString> reasons = changing_ + dropped;
    QHash<QString, migration::NamesIn> reads;
    for (auto it = old_queries.cbegin(); it != old_queries.cend(); ++it) {
      reads.insert(it.key(), migration::NamesIn(it.value()));
    }
    for (bool grew = true; grew;) {
      grew = false;
      for (auto it = old_queries.cbegin(); it != old_queries.cend(); ++it) {
        if (dropped.contains(it.key())) continue;
        for (const QString& name : reasons) {
          if (reads.find(it.key())->Mentions(name)) {
            dropped.insert(it.key());
            reasons.insert(it.key());
            grew = true;
            break;
          }
        }
      }
    }
    const QStringList old_order = SecondaryViewsInOrder(old_queries);
    for (qsizetype i = old_order.size() - 1; i >= 0; --i) {
      const QString& view = old_order[i];
      if (!dropped.contains(view)) continue;
      MigrationStep step;
      step.phase = Phase::kDropDependents;
      step.holds_no_rows = true;
      step.title = "drop view " + Quoted(view);
      step.statements.append("DROP VIEW " + sql_.TableName(view) + u';');
      if (dropped_views_.contains(view)) {
        step.answers.push_back(dropped_views_.value(view));
      } else if (!replaced_views_.contains(view)) {
        step.notes.append(QStringLiteral("It reads what changes below; it is made again after."));
      }
      script_.steps.push_back(std::move(step));
    }
    // The views made: those the primary adds or changes, and the secondary's own that were
    // dropped only to let what they read change, each after what it reads.
    QHash<QString, QString> made;
    for (const QString& view : dropped) {
      if (dropped_views_.contains(view) || replaced_views_.contains(view)) continue;
      made.insert(view, old_queries.value(view));
    }
    for (auto it = replaced_views_.cbegin(); it != replaced_views_.cend(); ++it) {
      made.insert(it.key(), new_queries.value(it.key()));
    }
    for (auto it = new_views_.cbegin(); it != new_views_.cend(); ++it) {
      made.insert(it.key(), new_queries.value(it.key()));
    }
    for (const QString& view : SecondaryViewsInOrder(made)) {
      const bool own = !replaced_views_.contains(view) && !new_views_.contains(view);
      QStringList unwritten;
      MigrationStep step;
      step.phase = Phase::kCreateViews;
      step.holds_no_rows = true;
      step.title = (own ? "make again view " : "create view ") + Quoted(view);
      step.statements.append(
          (own ? own_sql_ : sql_).CreateView(view, made.value(view), &unwritten));
      if (replaced_views_.contains(view)) {
        for (const int answer : replaced_views_.values(view)) step.answers.push_back(answer);
      }
      if (new_views_.contains(view)) step.answers.push_back(new_views_.value(view));
      if (!unwritten.isEmpty()) {
        step.inexpressible = true;
        step.held_back = "cannot express " + VisibleText(unwritten.join(QStringLiteral("; ")));
      }
      script_.steps.push_back(std::move(step));
    }
  }

  void PlanSequences() {
    const dx::DatabaseObjects* primary_objects = primary_.Objects();
    for (const int i : sequences_) {
      const Difference& d = script_.differences[static_cast<size_t>(i)];
      MigrationStep step;
      step.answers.push_back(i);
      if (script_.dialect == TypeDialect::kSqlite) {
        step.title = "sequence " + Quoted(d.object);
        step.inexpressible = true;
        step.held_back = QStringLiteral("SQLite has no sequences");
        script_.steps.push_back(std::move(step));
        continue;
      }
      if (d.kind == Kind::kSequenceMissing && !d.driving_is_primary) {
        // A sequence that a dropped table's column owns goes with the table.
        if (MergeIntoTableStep(OwnerOf(secondary_, d.object), dropped_tables_, Phase::kDropTables,
                               i)) {
          continue;
        }
        // A table and a sequence share their names: one of the sequence's name that the script
        // makes needs it gone first.
        step.phase = NameOf(new_tables_, d.object) ? Phase::kDropObjects : Phase::kDropTables;
        step.title = "drop sequence " + Quoted(d.object);
        step.statements.append("DROP SEQUENCE " + sql_.TableName(d.object) + u';');
        script_.steps.push_back(std::move(step));
        continue;
      }
      const dx::SequenceDefinition* sequence = nullptr;
      if (primary_objects != nullptr) {
        for (const dx::SequenceDefinition& s : primary_objects->sequences) {
          if (s.name == d.object) sequence = &s;
        }
      }
      if (sequence == nullptr) continue;
      // A new table's numbered column makes its own sequence: the table's step answers it.
      if (d.kind == Kind::kSequenceMissing &&
          MergeIntoTableStep(sequence->owned_by.section(u'.', 0, -2), new_tables_,
                             Phase::kCreateTables, i)) {
        continue;
      }
      const QString bounds = sql_.SequenceOptions(*sequence);
      const bool create = d.kind == Kind::kSequenceMissing;
      step.phase = create ? Phase::kCreateTables : Phase::kChangeTables;
      // ... and a sequence made under the name of a table that goes comes after that table.
      if (create && NameOf(dropped_tables_, d.object)) step.phase = Phase::kDropTables;
      step.title = (create ? "create sequence " : "change sequence ") + Quoted(d.object);
      step.statements.append((create ? "CREATE SEQUENCE " : "ALTER SEQUENCE ") +
                             sql_.TableName(d.object) + bounds + u';');
      script_.steps.push_back(std::move(step));
    }
  }

  // Whether `tables` holds `name`, in any letter case.
  static bool NameOf(const std::map<QString, int>& tables, const QString& name) {
    return std::any_of(tables.begin(), tables.end(), [&](const auto& entry) {
      return entry.first.compare(name, Qt::CaseInsensitive) == 0;
    });
  }

  // The table that owns sequence `name` of `connection` (PostgreSQL's serial and identity
  // columns); empty when no column owns it.
  static QString OwnerOf(const dx::DataConnection& connection, const QString& name) {
    if (const dx::DatabaseObjects* objects = connection.Objects()) {
      for (const dx::SequenceDefinition& sequence : objects->sequences) {
        if (sequence.name == name) return sequence.owned_by.section(u'.', 0, -2);
      }
    }
    return QString();
  }

  // Lets the step of `phase` that makes or drops `table` (one of `tables`) answer difference
  // `answer` too; false when there is no such step.
  bool MergeIntoTableStep(const QString& table, const std::map<QString, int>& tables, Phase phase,
                          int answer) {
    const auto found = tables.find(table);
    if (table.isEmpty() || found == tables.end()) return false;
    for (MigrationStep& step : script_.steps) {
      if (step.phase == phase && !step.answers.empty() && step.answers.front() == found->second) {
        step.answers.push_back(answer);
        return true;
      }
    }
    return false;
  }

  // A difference no step answers is said so, never passed over.
  void AnswerTheRest() {
    std::vector<bool> answered(script_.differences.size(), false);
    for (const MigrationStep& step : script_.steps) {
      for (const int i : step.answers) {
        if (i >= 0) answered[static_cast<size_t>(i)] = true;
      }
    }
    for (size_t i = 0; i < answered.size(); ++i) {
      if (answered[i]) continue;
      MigrationStep step;
      step.phase = Phase::kChangeTables;
      step.title = QStringLiteral("no statement is written for this difference");
      step.inexpressible = true;
      const Kind kind = script_.differences[i].kind;
      step.held_back =
          kind == Kind::kDatabaseProperties
              ? QStringLiteral(
                    "a database's default collation is chosen when it is created; a "
                    "script run in it cannot change it")
          : kind == Kind::kDatabaseObjectProperties || kind == Kind::kDatabaseObjectMissing
              ? QStringLiteral("Vantrel writes no SQL for the database's own collations")
              : QStringLiteral("Vantrel writes no SQL for it");
      step.answers.push_back(static_cast<int>(i));
      script_.steps.push_back(std::move(step));
    }
  }

  // Holds back each step that risks data, unless allowed, with the risk of what it answers.
  void Judge() {
    for (MigrationStep& step : script_.steps) {
      if (step.inexpressible || step.holds_no_rows || options_.allow_unsafe) continue;
      for (const int i : step.answers) {
        if (i < 0) continue;
        const Difference& d = script_.differences[static_cast<size_t>(i)];
        const RiskSeverity severity = DifferenceSeverity(d);
        if (severity != RiskSeverity::kDataLost && severity != RiskSeverity::kRowsRefused) {
          continue;
        }
        step.held_back = d.driving_is_primary
                             ? DifferenceRisk(d, options_.primary_name, options_.secondary_name)
                             : DifferenceRisk(d, options_.secondary_name, options_.primary_name);
        break;
      }
    }
  }

  // The object of the secondary's that `step` drops, when it drops one object the primary
  // lacks, or the object of the primary's that it makes; null otherwise.
  const Difference* ObjectOnOneSide(const MigrationStep& step, bool made) const {
    if (step.answers.size() != 1 || step.answers.front() < 0) return nullptr;
    const Difference& d = script_.differences[static_cast<size_t>(step.answers.front())];
    if (d.kind != Kind::kObjectMissing || d.driving_is_primary != made) return nullptr;
    return d.object_name.isEmpty() ? nullptr : &d;
  }

  // A check, key, index or foreign key that the primary has under the name of one of the
  // secondary's, and that a held-back step would make, replaces it: the step that drops the
  // secondary's is held back with it, so that the table keeps the one it has instead of being
  // left with neither (the old check where the new one would refuse rows, say).
  void KeepWhatAHeldBackStepWouldReplace() {
    // The held-back steps that make an object, by what they make: kind, name, secondary's table.
    const auto key = [](const Difference& d, const QString& table) {
      return QString::number(static_cast<int>(d.object_kind)) + u'\n' + d.object_name + u'\n' +
             table;
    };
    QHash<QString, size_t> held_makes;
    for (size_t n = 0; n < script_.steps.size(); ++n) {
      const MigrationStep& make = script_.steps[n];
      const Difference* made = ObjectOnOneSide(make, true);
      if (!make.held_back.isEmpty() && made != nullptr) {
        const QString made_key = key(*made, made->other_table);
        if (!held_makes.contains(made_key)) held_makes.insert(made_key, n);
      }
    }
    for (MigrationStep& drop : script_.steps) {
      const Difference* old_object = ObjectOnOneSide(drop, false);
      if (drop.phase != Phase::kDropObjects || !drop.held_back.isEmpty() || old_object == nullptr) {
        continue;
      }
      const auto make = held_makes.constFind(key(*old_object, old_object->table));
      if (make == held_makes.constEnd()) continue;
      const QString kind = QString::fromLatin1(WordsOf(old_object->object_kind).label).toLower();
      drop.held_back = "kept while step " + QString::number(*make + 1) + ", which makes " + kind +
                       u' ' + Quoted(old_object->object_name) +
                       " anew, is held back: dropped alone, it would leave table " +
                       Quoted(old_object->table) + " with neither " + kind;
    }
  }

  // A table, view or sequence that a step makes under the name of one whose drop is held back
  // would fail where the script runs: tables and sequences share their names. It is held back
  // with the drop.
  void HoldBackWhatTakesTheNameOfWhatStays() {
    // The name a difference of a table or sequence on one side only gives it; empty for another.
    const auto name_of = [](const Difference& d) {
      if (d.kind == Kind::kTableMissing) return d.table.toLower();
      return d.kind == Kind::kSequenceMissing ? d.object.toLower() : QString();
    };
    QHash<QString, size_t> staying;  // the names whose drops are held back, by their steps
    for (size_t n = 0; n < script_.steps.size(); ++n) {
      if (script_.steps[n].held_back.isEmpty()) continue;
      for (const int answer : script_.steps[n].answers) {
        const Difference& d = script_.differences[static_cast<size_t>(answer)];
        if (!d.driving_is_primary && !name_of(d).isEmpty()) staying.insert(name_of(d), n);
      }
    }
    if (staying.isEmpty()) return;
    for (MigrationStep& step : script_.steps) {
      if (!step.held_back.isEmpty()) continue;
      for (const int answer : step.answers) {
        const Difference& d = script_.differences[static_cast<size_t>(answer)];
        const auto drop = staying.constFind(name_of(d));
        if (!d.driving_is_primary || drop == staying.cend()) continue;
        step.held_back = "kept while step " + QString::number(*drop + 1) + ", which drops " +
                         Quoted(d.kind == Kind::kTableMissing ? d.table : d.object) +
                         ", is held back: a table and a sequence cannot share a name";
        break;
      }
    }
  }

  // A step whose statements need a new table that a held-back step would make (its foreign
  // keys, another table's key that names it) would fail where the script runs: it is held
  // back with that step.
  void HoldBackWhatNeedsATableNotMade() {
    QHash<QString, size_t> not_made;  // by the table's name in lower case
    for (size_t n = 0; n < script_.steps.size(); ++n) {
      const MigrationStep& make = script_.steps[n];
      if (!make.makes_table.isEmpty() && !make.held_back.isEmpty()) {
        not_made.insert(make.makes_table.toLower(), n);
      }
    }
    if (not_made.isEmpty()) return;
    for (MigrationStep& step : script_.steps) {
      if (!step.held_back.isEmpty()) continue;
      for (const QString& table : step.needs_tables) {
        const auto make = not_made.constFind(table.toLower());
        if (make == not_made.constEnd()) continue;
        const MigrationStep& maker = script_.steps[*make];
        step.held_back = "held back with step " + QString::number(*make + 1) +
                         ", which makes table " + Quoted(maker.makes_table) +
                         ": without that table its statements fail";
        step.inexpressible = maker.inexpressible;
        break;
      }
    }
  }

  const dx::DataConnection& primary_;
  const dx::DataConnection& secondary_;
  const MigrationOptions& options_;
  MigrationScript& script_;
  MigrationSql sql_;
  MigrationSql own_sql_;
  migration::Sides sides_;
  std::map<QString, TableWork> tables_;  // by the secondary's name, in name order
  // The foreign keys dropped and made again around changes of type: each key's changes.
  std::vector<std::vector<int>> keys_kept_around_;
  std::map<QString, int> new_tables_;
  std::map<QString, int> dropped_tables_;
  QHash<QString, QString> renamed_;  // a table that goes, by the new one of its fields
  QHash<QString, int> new_views_;
  QHash<QString, int> dropped_views_;
  QMultiHash<QString, int> replaced_views_;
  QSet<QString> changing_;  // tables whose readers are made again around them
  std::vector<int> sequences_;
};

}  // namespace

bool MigrationScript::AnythingHeldBack() const {
  return std::any_of(steps.begin(), steps.end(),
                     [](const MigrationStep& step) { return !step.held_back.isEmpty(); });
}

std::vector<std::pair<QString, int>> MigrationScript::StatementsToRun() const {
  std::vector<std::pair<QString, int>> run;
  for (const QString& statement : before) run.emplace_back(statement, -1);
  for (size_t i = 0; i < steps.size(); ++i) {
    if (!steps[i].held_back.isEmpty()) continue;
    for (const QString& statement : steps[i].statements) {
      run.emplace_back(statement, static_cast<int>(i));
    }
  }
  for (const QString& statement : after) run.emplace_back(statement, -1);
  return run;
}

MigrationScript PlanMigration(const dx::DataConnection& primary,
                              const dx::DataConnection& secondary,
                              std::vector<Difference> differences,
                              const MigrationOptions& options) {
  MigrationScript script;
  script.dialect = DialectOfEngine(secondary.Engine());
  for (Difference& difference : differences) {
    if (!IsSecondCopy(difference)) script.differences.push_back(std::move(difference));
  }
  if (script.differences.empty()) return script;
  Planner(primary, secondary, options, script).Plan();
  switch (script.dialect) {
    case TypeDialect::kSqlite:
      // SQLite's procedure for a change its ALTER TABLE cannot make: foreign keys off outside
      // the transaction, so that dropping a table fires no ON DELETE action on the rows that
      // refer to it, and every reference checked before the commit.
      script.before = QStringList{
          QStringLiteral("PRAGMA foreign_keys = OFF;"), QStringLiteral("BEGIN;"),
          // Rows that lack their parent already are the database's own: only new ones stop the
          // script.
          QStringLiteral("CREATE TEMP TABLE vantrel_rows_without_parent AS SELECT count(*) AS "
                         "before FROM pragma_foreign_key_check;")};
      script.after = QStringList{
          QStringLiteral("CREATE TEMP TABLE vantrel_foreign_key_check (new_rows_without_parent "
                         "INTEGER CHECK (new_rows_without_parent <= 0));"),
          QStringLiteral("INSERT INTO vantrel_foreign_key_check SELECT count(*) - (SELECT before "
                         "FROM vantrel_rows_without_parent) FROM pragma_foreign_key_check;"),
          QStringLiteral("DROP TABLE vantrel_foreign_key_check;"),
          QStringLiteral("DROP TABLE vantrel_rows_without_parent;"),
          QStringLiteral("COMMIT;"),
          QStringLiteral("PRAGMA foreign_keys = ON;")};
      break;
    case TypeDialect::kPostgres:
      script.before = QStringList{QStringLiteral("BEGIN;")};
      script.after = QStringList{QStringLiteral("COMMIT;")};
      break;
    default:
      break;  // MySQL commits each statement that changes a definition by itself
  }
  return script;
}

}  // namespace vantrel
