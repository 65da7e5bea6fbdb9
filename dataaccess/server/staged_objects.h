// Collects a server's rows of keys, indexes, foreign keys, checks, triggers, column details and
// view definitions, which arrive in any order and one row per key column (or trigger event), and
// hands each table its TableObjects once the catalog is filled.
#ifndef VANTREL_DATAACCESS_SERVER_STAGED_OBJECTS_H_
#define VANTREL_DATAACCESS_SERVER_STAGED_OBJECTS_H_

#include <QString>
#include <memory>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/dataaccess_export.h"
#include "dataaccess/table_objects.h"

namespace dataaccess {

// Details of columns of one table, with their positions one for one.
struct ColumnDetailsRun {
  std::vector<ColumnDetails> details;
  std::vector<long> positions;
};

class DATAACCESS_EXPORT StagedObjects {
 public:
  // `table` is named as the catalog names it (ServerTableName); `position` is the engine's own
  // number of the column in the key, and only the order it gives counts. An object is known by
  // its table and name: a row naming one seen before adds a column to it.
  void AddPrimaryKeyColumn(const QString& table, const QString& name, long position,
                           const QString& column);
  // Returns the index, for the caller to set what every row of it repeats (unique, predicate...).
  IndexDefinition& AddIndexPart(const QString& table, const QString& name, long position,
                                IndexPart part);
  ForeignKeyDefinition& AddForeignKeyColumn(const QString& table, const QString& name,
                                            long position, const QString& column,
                                            const QString& referenced_column);
  void AddCheck(const QString& table, CheckDefinition check);
  // `position` orders the table's columns as AddPrimaryKeyColumn's does.
  void AddColumnDetails(const QString& table, long position, ColumnDetails details);
  // The same for several columns of a table at once.
  void AddColumnDetails(const QString& table, ColumnDetailsRun run);
  // Returns the trigger of that name, made on first use, for the caller to add what the row
  // tells (an event, when the engine gives one row per event).
  TriggerDefinition& AddTrigger(const QString& table, const QString& name);
  void SetViewDefinition(const QString& table, QString definition);
  void AddRule(const QString& table, RuleDefinition rule);
  void SetUnlogged(const QString& table);

  // Gives each table of `tables` its objects: columns in key order, indexes, foreign keys,
  // checks, triggers and rules each sorted by name (an engine's rows have no order of their own),
  // column details in the columns' order. Objects of a table the catalog does not hold (a table
  // dropped after its columns were read, a sequence) are left out; a view gets only its
  // triggers, rules, column details and definition.
  void Attach(CatalogTables& tables);

 private:
  // What only some tables have, made on a table's first such row: a catalog of 10,000 tables
  // stages an entry for each.
  struct Rest {
    std::vector<IndexDefinition> indexes;
    std::vector<std::vector<std::pair<long, IndexPart>>> index_parts;
    std::vector<ForeignKeyDefinition> foreign_keys;
    std::vector<std::vector<std::tuple<long, QString, QString>>> foreign_key_columns;
    std::vector<CheckDefinition> checks;
    std::vector<TriggerDefinition> triggers;
    std::vector<RuleDefinition> rules;
    QString view_definition;
    bool unlogged = false;
  };
  struct Staged {
    std::vector<std::pair<long, QString>> key_columns;
    QString key_name;
    bool has_key = false;
    // Kept apart from their positions so that, in the usual case of rows in column order, the
    // table takes the vector as it is.
    ColumnDetailsRun columns;
    std::unique_ptr<Rest> rest;
  };
  Staged& Table(const QString& table);
  Rest& RestOf(const QString& table);

  std::unordered_map<QString, Staged> tables_;
  // Rows of one table often follow each other: the last table looked up, and its entry.
  QString last_name_;
  Staged* last_ = nullptr;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SERVER_STAGED_OBJECTS_H_
