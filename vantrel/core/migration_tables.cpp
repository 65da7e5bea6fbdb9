// The steps that change a table found on both sides, or make a new one, in each dialect: SQLite
// adds trailing fields and otherwise rebuilds the table; PostgreSQL and MySQL alter it in place.
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

#include "dataaccess/table_objects.h"
#include "platform/component/error.h"
#include "vantrel/core/migration_plan_parts.h"
#include "vantrel/core/visible_text.h"

namespace vantrel::migration {
namespace {

namespace dx = dataaccess;
using Phase = MigrationStep::Phase;

QString EngineWords(TypeDialect dialect) {
  switch (dialect) {
    case TypeDialect::kSqlite:
      return QStringLiteral("SQLite");
    case TypeDialect::kPostgres:
      return QStringLiteral("PostgreSQL");
    case TypeDialect::kMysql:
      return QStringLiteral("MySQL and MariaDB");
    case TypeDialect::kOther:
      break;
  }
  return QStringLiteral("this engine");
}

}  // namespace

MigrationStep Step(Phase phase, const QString& title, QStringList statements,
                   std::vector<int> answers, const QStringList& unwritten, TypeDialect dialect) {
  MigrationStep step;
  step.phase = phase;
  step.title = title;
  step.statements = std::move(statements);
  step.answers = std::move(answers);
  if (!unwritten.isEmpty()) {
    step.inexpressible = true;
    QStringList shown;
    for (const QString& what : unwritten) shown.append(VisibleText(what));
    step.held_back = EngineWords(dialect) + " cannot express " + shown.join(QStringLiteral("; "));
  }
  return step;
}

namespace {

const dx::DataColumn* ColumnOf(const dx::DataTable& table, const QString& name) {
  try {
    return &table.Columns().Item(name);
  } catch (const component::Error&) {
    return nullptr;
  }
}

// The primary's fields in order, and each one's predecessor.
QStringList FieldsOf(const dx::DataTable& table) {
  QStringList names;
  const auto columns = table.Columns().Enumerate();
  while (const dx::DataColumn* column = columns->Next()) names.append(column->Name());
  return names;
}

bool IsUniqueConstraint(const ComparableObject& object, const dx::DataTable& table) {
  const dx::IndexDefinition* index = IndexOf(table, object);
  return index != nullptr && index->origin != dx::IndexDefinition::Origin::kIndex;
}

// Whether SQLite's ALTER TABLE ADD COLUMN can add `column` as the primary defines it: not part
// of a key, not NOT NULL without a default, not stored generated, a constant default.
bool SqliteCanAdd(const Sides& sides, const dx::DataTable& table, const dx::DataColumn& column) {
  const dx::TableObjects* objects = table.Objects();
  if (objects != nullptr) {
    if (objects->primary_key &&
        objects->primary_key->columns.contains(column.Name(), Qt::CaseInsensitive)) {
      return false;
    }
    for (const dx::IndexDefinition& index : objects->indexes) {
      if (index.origin == dx::IndexDefinition::Origin::kIndex) continue;
      for (const dx::IndexPart& part : index.parts) {
        if (dx::SameNameIgnoringCase(part.column, column.Name())) return false;
      }
    }
    const dx::ColumnDetails* details = objects->DetailsOf(column.Name());
    if (details != nullptr && details->generation && details->generation->stored) return false;
  }
  QStringList unwritten;
  const QString default_value = sides.sql.DefaultOf(table, column, &unwritten);
  if (column.Required() && default_value.isEmpty()) return false;
  // SQLite refuses a default that is not constant (CURRENT_TIMESTAMP, an expression).
  return default_value.isEmpty() || (!default_value.contains(u'(') &&
                                     !default_value.startsWith(u"CURRENT", Qt::CaseInsensitive));
}

// A field that goes while another of the same type, size and NOT NULL comes may be one renamed:
// the note each of the two steps carries, by field. Renames are never guessed.
QHash<QString, QString> RenameNotes(const TableWork& work) {
  QHash<QString, QString> notes;
  for (const QString& gone : work.dropped) {
    const dx::DataColumn* old = ColumnOf(*work.secondary, gone);
    for (const QString& come : work.added) {
      const dx::DataColumn* fresh = ColumnOf(*work.primary, come);
      if (old == nullptr || fresh == nullptr || old->DataType() != fresh->DataType() ||
          old->Size() != fresh->Size() || old->Required() != fresh->Required()) {
        continue;
      }
      const QString note = "Field " + Quoted(gone) + ", which goes, and field " + Quoted(come) +
                           ", which comes, have the same definition: if this is a rename, ALTER "
                           "TABLE ... RENAME COLUMN keeps its values.";
      notes.insert(gone, note);
      notes.insert(come, note);
    }
  }
  return notes;
}

// PostgreSQL and MySQL: ALTER TABLE for each object dropped and made.
QString DropObject(const MigrationSql& sql, const QString& table, const dx::DataTable& own,
                   const ComparableObject& object) {
  const QString altered = "ALTER TABLE " + sql.TableName(table);
  const bool mysql = sql.target() == TypeDialect::kMysql;
  // PostgreSQL names an index in its table's schema.
  const qsizetype dot = table.indexOf(u'.');
  const QString schema = !mysql && dot > 0 ? sql.Name(table.left(dot)) + u'.' : QString();
  switch (object.kind) {
    case ObjectKindId::kPrimaryKey:
      return mysql ? altered + " DROP PRIMARY KEY;"
                   : altered + " DROP CONSTRAINT " + sql.Name(object.name) + u';';
    case ObjectKindId::kIndex:
    case ObjectKindId::kExclusionConstraint:
      if (mysql)
        return "DROP INDEX " + sql.Name(object.name) + " ON " + sql.TableName(table) + u';';
      if (IsUniqueConstraint(object, own)) {
        return altered + " DROP CONSTRAINT " + sql.Name(object.name) + u';';
      }
      return "DROP INDEX " + schema + sql.Name(object.name) + u';';
    case ObjectKindId::kForeignKey:
      return altered + (mysql ? " DROP FOREIGN KEY " : " DROP CONSTRAINT ") +
             sql.Name(object.name) + u';';
    case ObjectKindId::kCheck:
      return altered + " DROP CONSTRAINT " + sql.Name(object.name) + u';';
    case ObjectKindId::kTrigger:
      return mysql ? "DROP TRIGGER " + sql.Name(object.name) + u';'
                   : "DROP TRIGGER " + sql.Name(object.name) + " ON " + sql.TableName(table) + u';';
    case ObjectKindId::kRule:
      return "DROP RULE " + sql.Name(object.name) + " ON " + sql.TableName(table) + u';';
    default:
      return QString();
  }
}

QString CreateObject(const MigrationSql& sql, const QString& table, const dx::DataTable& source,
                     const dx::DataTable* target, const ComparableObject& object,
                     QStringList* unwritten) {
  const QString altered = "ALTER TABLE " + sql.TableName(table);
  const dx::TableObjects* objects = source.Objects();
  const auto at = [&](const auto& list) -> decltype(&list.front()) {
    if (object.source_index < 0 || static_cast<size_t>(object.source_index) >= list.size()) {
      return nullptr;
    }
    return &list[static_cast<size_t>(object.source_index)];
  };
  if (objects == nullptr) return QString();
  switch (object.kind) {
    case ObjectKindId::kPrimaryKey:
      return objects->primary_key
                 ? altered + " ADD " + sql.PrimaryKeyClause(*objects->primary_key) + u';'
                 : QString();
    case ObjectKindId::kIndex:
    case ObjectKindId::kExclusionConstraint: {
      const dx::IndexDefinition* index = at(objects->indexes);
      if (index == nullptr) return QString();
      if (index->origin == dx::IndexDefinition::Origin::kUniqueConstraint) {
        return altered + " ADD " + sql.UniqueClause(*index, unwritten) + u';';
      }
      if (index->origin == dx::IndexDefinition::Origin::kExclusionConstraint) {
        unwritten->append("the exclusion constraint " + index->name);
        return QString();
      }
      return sql.CreateIndex(table, *index, unwritten);
    }
    case ObjectKindId::kForeignKey: {
      const dx::ForeignKeyDefinition* key = at(objects->foreign_keys);
      return key ? altered + " ADD " + sql.ForeignKeyClause(*key, unwritten) + u';' : QString();
    }
    case ObjectKindId::kCheck: {
      const dx::CheckDefinition* check = at(objects->checks);
      return check ? altered + " ADD " + sql.CheckClause(*check, source, target, unwritten) + u';'
                   : QString();
    }
    case ObjectKindId::kTrigger: {
      const dx::TriggerDefinition* trigger = at(objects->triggers);
      return trigger ? sql.CreateTrigger(table, *trigger, unwritten) : QString();
    }
    case ObjectKindId::kRule: {
      const dx::RuleDefinition* rule = at(objects->rules);
      if (rule == nullptr) return QString();
      if (!sql.SameEngine()) unwritten->append("the rule " + rule->name);
      return rule->definition.endsWith(u';') ? rule->definition : rule->definition + u';';
    }
    default:
      return QString();
  }
}

QString ObjectWords(const ComparableObject& object) {
  return QString::fromLatin1(WordsOf(object.kind).label).toLower() + u' ' +
         VisibleText(object.name.isEmpty() ? object.definition : object.name);
}

// The objects SQLite changes without rebuilding its table: indexes and triggers.
bool SqliteChangesInPlace(const ComparableObject& object, const dx::DataTable& table) {
  if (object.kind == ObjectKindId::kTrigger) return true;
  return object.kind == ObjectKindId::kIndex && !IsUniqueConstraint(object, table);
}

// True when `columns` begin with every column of `key`, in any order: an index on them serves a
// foreign key on `key` in MySQL and MariaDB.
bool BeginWith(const QStringList& columns, const QStringList& key) {
  if (key.isEmpty() || columns.size() < key.size()) return false;
  for (const QString& column : columns.mid(0, key.size())) {
    if (!key.contains(column, Qt::CaseInsensitive)) return false;
  }
  return true;
}

QStringList ColumnsOf(const dx::IndexDefinition& index) {
  QStringList columns;
  for (const dx::IndexPart& part : index.parts) columns.append(part.column);
  return columns;
}

// MySQL and MariaDB refuse to drop the index that a foreign key of the table needs: true when
// `drop` is the secondary's only index, left standing by the script's other drops, that serves
// one of its foreign keys that the script keeps. Such a drop waits until the primary's keys and
// indexes are made, one of which may serve the key then.
bool ServesAForeignKeyKept(const TableWork& work, const ObjectChange& drop) {
  const dx::TableObjects* objects = work.secondary->Objects();
  const dx::IndexDefinition* index = IndexOf(*work.secondary, drop.object);
  if (objects == nullptr || index == nullptr) return false;
  const auto dropped = [&](ObjectKindId kind, int source_index) {
    return std::any_of(work.drops.begin(), work.drops.end(), [&](const ObjectChange& other) {
      return other.object.kind == kind && other.object.source_index == source_index;
    });
  };
  for (const dx::ForeignKeyDefinition& key : objects->foreign_keys) {
    const int key_index = static_cast<int>(&key - objects->foreign_keys.data());
    if (dropped(ObjectKindId::kForeignKey, key_index) ||
        !BeginWith(ColumnsOf(*index), key.columns)) {
      continue;
    }
    bool served_otherwise = objects->primary_key && !dropped(ObjectKindId::kPrimaryKey, -1) &&
                            BeginWith(objects->primary_key->columns, key.columns);
    for (const dx::IndexDefinition& other : objects->indexes) {
      const int other_index = static_cast<int>(&other - objects->indexes.data());
      if (&other != index && !dropped(ObjectKindId::kIndex, other_index) &&
          BeginWith(ColumnsOf(other), key.columns)) {
        served_otherwise = true;
      }
    }
    if (!served_otherwise) return true;
  }
  return false;
}

void PlanObjects(const Sides& sides, const TableWork& work, std::vector<MigrationStep>* steps) {
  const TypeDialect dialect = sides.sql.target();
  std::vector<MigrationStep> drops_that_wait;
  for (const ObjectChange& drop : work.drops) {
    QString statement;
    // MariaDB's JSON is LONGTEXT with this check: without it the field is a LONGTEXT, and no
    // longer the JSON that the primary's field is, or the nearest MariaDB has to a type of the
    // primary's that it cannot express (SQLite's JSONB), which the field's own step leaves.
    const QString json_field =
        drop.object.kind == ObjectKindId::kCheck && dialect == TypeDialect::kMysql
            ? dx::JsonCheckedColumn(drop.object.definition)
            : QString();
    const dx::DataColumn* primary_json =
        json_field.isEmpty() ? nullptr : ColumnOf(*work.primary, json_field);
    QStringList type_unwritten;
    if (primary_json != nullptr)
      sides.sql.ColumnType(*work.primary, *primary_json, &type_unwritten);
    if (primary_json != nullptr &&
        (primary_json->DataType() == dx::kJson || !type_unwritten.isEmpty())) {
      steps->push_back(
          Step(Phase::kDropObjects,
               "drop " + ObjectWords(drop.object) + " of table " + Quoted(work.name),
               {DropObject(sides.sql, work.name, *work.secondary, drop.object)}, {drop.answer},
               {"a JSON field '" + json_field + "' that takes what is not JSON"}, dialect));
      continue;
    }
    if (dialect == TypeDialect::kSqlite) {
      statement = (drop.object.kind == ObjectKindId::kTrigger ? "DROP TRIGGER " : "DROP INDEX ") +
                  sides.sql.Name(drop.object.name) + u';';
    } else {
      statement = DropObject(sides.sql, work.name, *work.secondary, drop.object);
    }
    if (statement.isEmpty()) continue;
    const bool waits = dialect == TypeDialect::kMysql && drop.object.kind == ObjectKindId::kIndex &&
                       ServesAForeignKeyKept(work, drop);
    (waits ? drops_that_wait : *steps)
        .push_back(Step(waits ? Phase::kCreateObjects : Phase::kDropObjects,
                        "drop " + ObjectWords(drop.object) + " of table " + Quoted(work.name),
                        {statement}, {drop.answer}, {}, dialect));
  }
  for (const ObjectChange& create : work.creates) {
    QStringList unwritten;
    const QString statement = create.as_secondary_has_it
                                  ? CreateObject(sides.own_sql, work.name, *work.secondary,
                                                 work.secondary, create.object, &unwritten)
                                  : CreateObject(sides.sql, work.name, *work.primary,
                                                 work.secondary, create.object, &unwritten);
    if (statement.isEmpty() && unwritten.isEmpty()) continue;
    steps->push_back(Step(Phase::kCreateObjects,
                          "create " + ObjectWords(create.object) + " of table " + Quoted(work.name),
                          statement.isEmpty() ? QStringList() : QStringList{statement},
                          {create.answer}, unwritten, dialect));
    if (!create.object.facts.referenced_table.isEmpty()) {
      steps->back().needs_tables.append(create.object.facts.referenced_table);
    }
  }
  for (MigrationStep& drop : drops_that_wait) steps->push_back(std::move(drop));
}

// PostgreSQL: one ALTER TABLE for each property of a field that differs.
void PlanPostgresField(const Sides& sides, const TableWork& work, const QString& field, int answer,
                       std::vector<MigrationStep>* steps) {
  const dx::DataColumn* primary = ColumnOf(*work.primary, field);
  const dx::DataColumn* secondary = ColumnOf(*work.secondary, field);
  if (primary == nullptr || secondary == nullptr) return;
  const Difference& difference = sides.differences[static_cast<size_t>(answer)];
  const QString altered = "ALTER TABLE " + sides.sql.TableName(work.name) + " ALTER COLUMN " +
                          sides.sql.Name(secondary->Name());
  QStringList statements;
  QStringList unwritten;
  if (Lists(difference, PropertyId::kGenerated) || Lists(difference, PropertyId::kStorage)) {
    // A generation cannot be altered in place: the field is made again and its values
    // computed anew.
    statements.append("ALTER TABLE " + sides.sql.TableName(work.name) + " DROP COLUMN " +
                      sides.sql.Name(secondary->Name()) + u';');
    statements.append("ALTER TABLE " + sides.sql.TableName(work.name) + " ADD COLUMN " +
                      sides.sql.ColumnDefinition(*work.primary, *primary, nullptr, &unwritten) +
                      u';');
  } else {
    if (Lists(difference, PropertyId::kDataType) || Lists(difference, PropertyId::kSize) ||
        Lists(difference, PropertyId::kCollation) ||
        ((primary->Attributes() ^ secondary->Attributes()) & dx::kUnsigned)) {
      const QString type = sides.sql.ColumnType(*work.primary, *primary, &unwritten);
      const QString bare = type.section(QStringLiteral(" COLLATE "), 0, 0);
      statements.append(altered + " TYPE " + type + " USING " + sides.sql.Name(secondary->Name()) +
                        "::" + bare + u';');
    }
    if (Lists(difference, PropertyId::kRequired)) {
      if (!primary->Required() && sides.sql.IsKeyColumn(*work.primary, *primary)) {
        unwritten.append("NULL in field " + Quoted(field) + " of a primary key");
      }
      statements.append(altered + (primary->Required() ? " SET NOT NULL;" : " DROP NOT NULL;"));
    }
    if (Lists(difference, PropertyId::kDefaultValue)) {
      const QString value = sides.sql.DefaultOf(*work.primary, *primary, &unwritten);
      statements.append(value.isEmpty() ? altered + " DROP DEFAULT;"
                                        : altered + " SET DEFAULT " + value + u';');
    }

    if (Lists(difference, PropertyId::kAttributes) &&
        ((primary->Attributes() ^ secondary->Attributes()) &
         (dx::kAutoIncrement | dx::kAlwaysNumbered))) {
      unwritten.append("the change of numbering of field " + Quoted(field));
    }
    if (Lists(difference, PropertyId::kOnUpdateValue)) {
      unwritten.append("ON UPDATE of field " + Quoted(field));
    }
  }
  if (!statements.isEmpty() || !unwritten.isEmpty()) {
    steps->push_back(Step(Phase::kChangeTables,
                          "change field " + Quoted(field) + " of table " + Quoted(work.name),
                          statements, {answer}, unwritten, TypeDialect::kPostgres));
  }
  // PostgreSQL adds a column at the end of its table and never moves one: the rest of the
  // field's change is made, its place is said.
  if (Lists(difference, PropertyId::kOrdinalPosition)) {
    steps->push_back(Step(Phase::kChangeTables,
                          "move field " + Quoted(field) + " of table " + Quoted(work.name), {},
                          {answer},
                          {"the place of field " + Quoted(field) +
                           ": a column is added at the end of its table and never moved"},
                          TypeDialect::kPostgres));
  }
}

// MySQL: the field's whole definition, in its place.
QString Placement(const QStringList& fields, const QString& field, const MigrationSql& sql) {
  const qsizetype at = fields.indexOf(field);
  if (at <= 0) return at == 0 ? QStringLiteral(" FIRST") : QString();
  return " AFTER " + sql.Name(fields.at(at - 1));
}

void PlanInPlace(const Sides& sides, const TableWork& work, std::vector<MigrationStep>* steps) {
  const TypeDialect dialect = sides.sql.target();
  const QString altered = "ALTER TABLE " + sides.sql.TableName(work.name);
  const QStringList fields = FieldsOf(*work.primary);
  const QHash<QString, QString> renames = RenameNotes(work);
  for (const QString& field : work.added) {
    const dx::DataColumn* column = ColumnOf(*work.primary, field);
    if (column == nullptr) continue;
    QStringList unwritten;
    QString statement = altered + " ADD COLUMN " +
                        sides.sql.ColumnDefinition(*work.primary, *column, nullptr, &unwritten);
    if (dialect == TypeDialect::kMysql) statement += Placement(fields, field, sides.sql);
    int answer = -1;
    for (const int i : work.answers) {
      const Difference& d = sides.differences[static_cast<size_t>(i)];
      if (d.kind == Difference::Kind::kFieldMissing && d.driving_is_primary && d.field == field) {
        answer = i;
      }
    }
    steps->push_back(Step(Phase::kChangeTables,
                          "add field " + Quoted(field) + " to table " + Quoted(work.name),
                          {statement + u';'}, {answer}, unwritten, dialect));
    if (renames.contains(field)) steps->back().notes.append(renames.value(field));
  }
  for (qsizetype i = 0; i < work.changed.size(); ++i) {
    const int answer = work.changed_answers[static_cast<size_t>(i)];
    if (dialect == TypeDialect::kPostgres) {
      PlanPostgresField(sides, work, work.changed[i], answer, steps);
      continue;
    }
    const dx::DataColumn* column = ColumnOf(*work.primary, work.changed[i]);
    if (column == nullptr) continue;
    QStringList unwritten;
    const QString statement =
        altered + " MODIFY COLUMN " +
        sides.sql.ColumnDefinition(*work.primary, *column, nullptr, &unwritten) +
        Placement(fields, work.changed[i], sides.sql) + u';';
    steps->push_back(
        Step(Phase::kChangeTables,
             "change field " + Quoted(work.changed[i]) + " of table " + Quoted(work.name),
             {statement}, {answer}, unwritten, dialect));
  }
  for (const QString& field : work.dropped) {
    int answer = -1;
    for (const int i : work.answers) {
      const Difference& d = sides.differences[static_cast<size_t>(i)];
      if (d.kind == Difference::Kind::kFieldMissing && !d.driving_is_primary && d.field == field) {
        answer = i;
      }
    }
    steps->push_back(
        Step(Phase::kChangeTables, "drop field " + Quoted(field) + " of table " + Quoted(work.name),
             {altered + " DROP COLUMN " + sides.sql.Name(field) + u';'}, {answer}, {}, dialect));
    if (renames.contains(field)) steps->back().notes.append(renames.value(field));
  }
  if (work.persistence_answer >= 0 && work.primary->Objects() != nullptr) {
    steps->push_back(
        Step(Phase::kChangeTables, "change the persistence of table " + Quoted(work.name),
             {altered + (work.primary->Objects()->unlogged ? " SET UNLOGGED;" : " SET LOGGED;")},
             {work.persistence_answer}, {}, dialect));
  }
}

}  // namespace

QString Quoted(const QString& name) { return u'\'' + VisibleText(name) + u'\''; }

const dx::IndexDefinition* IndexOf(const dx::DataTable& table, const ComparableObject& object) {
  const dx::TableObjects* objects = table.Objects();
  if (objects == nullptr || object.source_index < 0 ||
      static_cast<size_t>(object.source_index) >= objects->indexes.size() ||
      (object.kind != ObjectKindId::kIndex && object.kind != ObjectKindId::kExclusionConstraint)) {
    return nullptr;
  }
  return &objects->indexes[static_cast<size_t>(object.source_index)];
}

NamesIn::NamesIn(const QString& text) : text_(text.toLower()) {
  static const QRegularExpression kNotInAWord(QStringLiteral("[^\\w$]+"),
                                              QRegularExpression::UseUnicodePropertiesOption);
  for (const QString& word : text_.split(kNotInAWord, Qt::SkipEmptyParts)) words_.insert(word);
}

bool NamesIn::Mentions(const QString& name) const {
  const QString last = name.section(u'.', -1).toLower();
  static const QRegularExpression kWord(QStringLiteral("^[\\w$]+$"),
                                        QRegularExpression::UseUnicodePropertiesOption);
  // A name that is not one word (it holds a space or a quote) is looked for as it stands.
  return kWord.match(last).hasMatch() ? words_.contains(last) : text_.contains(last);
}

namespace {

// The first field `index` is made of that `table` lacks; empty when it has them all (an
// expression is not looked into).
QString FieldThatGoes(const dx::IndexDefinition& index, const dx::DataTable& table) {
  for (const dx::IndexPart& part : index.parts) {
    if (!part.column.isEmpty() && ColumnOf(table, part.column) == nullptr) return part.column;
  }
  return QString();
}

// "a", "a and b", "a, b and c".
QString InWords(QStringList items) {
  if (items.size() < 2) return items.join(QString());
  const QString last = items.takeLast();
  return items.join(QStringLiteral(", ")) + " and " + last;
}

// What a table made anew takes from the primary's definition although `compared` leaves it
// out, in the words of "Not compared" ("primary keys and check constraints"); empty when
// everything of it is compared.
QString KindsMadeAsThePrimaryHasThem(int compared) {
  constexpr int kInTheDefinition = kCompareKeys | kCompareForeignKeys | kCompareChecks |
                                   kCompareDefaults | kCompareCollations | kCompareGenerated;
  QStringList kinds;
  for (const ComparedKindWords& kind : ComparedKinds()) {
    if ((kind.kind & kInTheDefinition) != 0 && (compared & kind.kind) == 0 && kind.not_told) {
      kinds.append(WordsOf(*kind.not_told));
    }
  }
  return InWords(kinds);
}

// The field properties `ignored` (ComparedProperty bits) leaves out, by the report's labels
// ("Default Value and Collation"); empty for none.
QString FieldPropertiesIgnored(int ignored) {
  QStringList labels;
  for (const PropertyWords& words : Properties()) {
    if (words.id > PropertyId::kStorage) break;  // the fields' come first
    if ((ignored & words.ignore_bit) != 0) labels.append(QString::fromUtf8(words.label));
  }
  return InWords(labels);
}

}  // namespace

MigrationStep SqliteRebuild(const Sides& sides, const TableWork& work) {
  const MigrationSql& sql = sides.sql;
  // The rows wait in a temporary table while the table is made anew under its own name. SQLite's
  // RENAME reads and checks its whole schema again, which at thousands of tables costs more
  // than the rows of most tables; nothing renames the old table, so what refers to it by name
  // (foreign keys of other tables, triggers, views) still does afterwards.
  const QString rows = "temp." + sql.Name("vantrel_rows_" + work.name);
  const QString sequence = "temp." + sql.Name("vantrel_sequence_" + work.name);
  QStringList unwritten;
  // The rows move by the fields both sides have; a generated field computes itself.
  QStringList moved;
  const auto columns = work.primary->Columns().Enumerate();
  while (const dx::DataColumn* column = columns->Next()) {
    if (column->Attributes() & dx::kGenerated) continue;
    const dx::DataColumn* old = ColumnOf(*work.secondary, column->Name());
    if (old == nullptr || (old->Attributes() & dx::kGenerated)) continue;
    moved.append(column->Name());
  }
  const QString table = sql.Name(work.name);
  QStringList statements{"CREATE TEMP TABLE " + rows + " AS SELECT " + sql.Names(moved) + " FROM " +
                         table + u';'};
  const dx::TableObjects* objects = work.primary->Objects();
  const dx::TableObjects* old_objects = work.secondary->Objects();
  // AUTOINCREMENT, WITHOUT ROWID and STRICT are not compared: the table keeps its own. Where it
  // keeps AUTOINCREMENT, which never gives a number again, its counter carries over.
  const SqliteTableOptions kept = SqliteTableOptions::Of(old_objects);
  const bool counter = kept.autoincrement && sql.HasRowidKey(*work.primary);
  const QString name = sql.Literal(work.name);
  if (counter) {
    statements.append("CREATE TEMP TABLE " + sequence +
                      " AS SELECT seq FROM sqlite_sequence WHERE name = " + name + u';');
  }
  statements.append("DROP TABLE " + table + u';');
  statements.append(sql.CreateTable(*work.primary, work.name, true, &unwritten, &kept));
  statements.append("INSERT INTO " + table + " (" + sql.Names(moved) + ") SELECT " +
                    sql.Names(moved) + " FROM " + rows + u';');
  statements.append("DROP TABLE " + rows + u';');
  if (counter) {
    statements.append("UPDATE sqlite_sequence SET seq = (SELECT seq FROM " + sequence +
                      ") WHERE name = " + name + " AND seq < (SELECT seq FROM " + sequence + ");");
    statements.append(
        "INSERT INTO sqlite_sequence (name, seq) SELECT " + name + ", seq FROM " + sequence +
        " WHERE NOT EXISTS (SELECT 1 FROM sqlite_sequence WHERE name = " + name + ");");
    statements.append("DROP TABLE " + sequence + u';');
  }
  // Indexes are what --objects says: the primary's where they are compared, and otherwise the
  // secondary's own, made again as they were, since nothing asked to change them.
  QStringList notes;
  const bool primary_indexes = (sides.compared & kCompareIndexes) != 0;
  if (const dx::TableObjects* source = primary_indexes ? objects : old_objects) {
    for (const dx::IndexDefinition& index : source->indexes) {
      if (index.origin != dx::IndexDefinition::Origin::kIndex) continue;
      const QString gone = primary_indexes ? QString() : FieldThatGoes(index, *work.primary);
      if (!gone.isEmpty()) {
        notes.append("Index " + Quoted(index.name) + " is not made again: its field " +
                     Quoted(gone) + " goes.");
        continue;
      }
      statements.append(
          (primary_indexes ? sql : sides.own_sql).CreateIndex(work.name, index, &unwritten));
    }
  }
  MigrationStep step = Step(Phase::kChangeTables, "rebuild table " + Quoted(work.name), statements,
                            work.answers, unwritten, TypeDialect::kSqlite);
  step.notes.append(QStringLiteral(
      "SQLite's ALTER TABLE cannot make this change: the table is made anew and its rows copied, "
      "with foreign keys off, so that no ON DELETE action fires on the rows that refer to it."));
  const QString made_as_the_primary = KindsMadeAsThePrimaryHasThem(sides.compared);
  if (!made_as_the_primary.isEmpty()) {
    step.notes.append("Its " + made_as_the_primary +
                      " are not compared, and are made as the primary has them.");
  }
  const QString ignored = FieldPropertiesIgnored(sides.ignored_properties);
  if (!ignored.isEmpty()) {
    step.notes.append("--ignore leaves out the fields' " + ignored +
                      ", which the new table takes from the primary.");
  }
  step.notes.append(notes);
  const QHash<QString, QString> renames = RenameNotes(work);
  for (const QString& field : work.dropped) {
    if (renames.contains(field)) step.notes.append(renames.value(field));
  }
  return step;
}

void PlanTableChanges(const Sides& sides, const TableWork& work, std::vector<MigrationStep>* steps,
                      bool* rebuilt) {
  *rebuilt = false;
  if (sides.sql.target() != TypeDialect::kSqlite) {
    PlanInPlace(sides, work, steps);
    PlanObjects(sides, work, steps);
    return;
  }
  // SQLite alters a table in place only to add fields at its end, and makes and drops indexes
  // and triggers on their own; anything else is a rebuild.
  bool rebuild = !work.dropped.isEmpty() || !work.changed.isEmpty();
  const QStringList fields = FieldsOf(*work.primary);
  for (const QString& field : work.added) {
    const dx::DataColumn* column = ColumnOf(*work.primary, field);
    const qsizetype place = fields.indexOf(field);
    rebuild = rebuild || column == nullptr || place < fields.size() - work.added.size() ||
              !SqliteCanAdd(sides, *work.primary, *column);
  }
  for (const ObjectChange& change : work.drops) {
    rebuild = rebuild || !SqliteChangesInPlace(change.object, *work.secondary);
  }
  for (const ObjectChange& change : work.creates) {
    rebuild = rebuild || !SqliteChangesInPlace(change.object, *work.primary);
  }
  if (rebuild) {
    *rebuilt = true;
    steps->push_back(SqliteRebuild(sides, work));
    // Its triggers come once every rebuild is done: a trigger that names another table being
    // rebuilt would stop that table's rename. As with indexes, they are the secondary's own
    // where --objects does not compare triggers.
    const bool primary_triggers = (sides.compared & kCompareTriggers) != 0;
    const dx::TableObjects* objects = (primary_triggers ? work.primary : work.secondary)->Objects();
    if (objects != nullptr && !objects->triggers.empty()) {
      QStringList statements;
      QStringList unwritten;
      for (const dx::TriggerDefinition& trigger : objects->triggers) {
        statements.append((primary_triggers ? sides.sql : sides.own_sql)
                              .CreateTrigger(work.name, trigger, &unwritten));
      }
      steps->push_back(Step(Phase::kCreateObjects,
                            "create the triggers of rebuilt table " + Quoted(work.name), statements,
                            work.answers, unwritten, TypeDialect::kSqlite));
    }
    return;
  }
  PlanInPlace(sides, work, steps);
  PlanObjects(sides, work, steps);
}

void PlanNewTable(const Sides& sides, const dx::DataTable& table, int answer,
                  std::vector<MigrationStep>* steps) {
  const MigrationSql& sql = sides.sql;
  const TypeDialect dialect = sql.target();
  const QString name = table.Name();
  QStringList unwritten;
  // SQLite takes a foreign key only in the table's definition, and checks it only when a row
  // is written; the other engines add foreign keys once every table exists.
  const bool sqlite = dialect == TypeDialect::kSqlite;
  QStringList statements{sql.CreateTable(table, name, sqlite, &unwritten)};
  const dx::TableObjects* objects = table.Objects();
  if (objects != nullptr) {
    for (const dx::IndexDefinition& index : objects->indexes) {
      if (index.origin != dx::IndexDefinition::Origin::kIndex) continue;
      statements.append(sql.CreateIndex(name, index, &unwritten));
    }
  }
  steps->push_back(Step(MigrationStep::Phase::kCreateTables, "create table " + Quoted(name),
                        statements, {answer}, unwritten, dialect));
  steps->back().makes_table = name;
  if (objects == nullptr) return;
  QStringList needs{name};
  QStringList later;
  QStringList later_unwritten;
  if (!sqlite) {
    for (const dx::ForeignKeyDefinition& key : objects->foreign_keys) {
      later.append("ALTER TABLE " + sql.TableName(name) + " ADD " +
                   sql.ForeignKeyClause(key, &later_unwritten) + u';');
      needs.append(key.referenced_table);
    }
  }
  for (const dx::TriggerDefinition& trigger : objects->triggers) {
    later.append(sql.CreateTrigger(name, trigger, &later_unwritten));
  }
  if (!later.isEmpty()) {
    steps->push_back(Step(MigrationStep::Phase::kCreateObjects,
                          (sqlite ? "create the triggers of table "
                                  : "create the foreign keys and triggers of table ") +
                              Quoted(name),
                          later, {answer}, later_unwritten, dialect));
    steps->back().needs_tables = needs;
  }
}

}  // namespace vantrel::migration
