// Writes snapshots one column, index, foreign key, check, column detail, trigger or sequence per
// line, so that a snapshot kept in version control shows a changed one as one changed line.
#include <QByteArray>
#include <QString>

#include "dataaccess/catalog/catalog.h"
#include "dataaccess/errors.h"
#include "dataaccess/snapshot.h"
#include "dataaccess/snapshot/snapshot_words.h"
#include "platform/component/error.h"

namespace dataaccess {
namespace {

constexpr qsizetype kFlushSize = 1 << 16;

// A JSON string of `text`, characters outside ASCII as UTF-8. A lone surrogate stands for a name
// byte that was not UTF-8 (catalog/name_bytes.h); JSON has no way to keep such a byte, and a
// replacement would make the snapshot name another table than the database does, so it is
// refused.
void AppendString(QByteArray& out, QStringView text) {
  static constexpr char kHex[] = "0123456789abcdef";
  out.append('"');
  qsizetype plain_from = 0;
  const auto flush_plain = [&](qsizetype to) {
    if (to > plain_from) out.append(text.mid(plain_from, to - plain_from).toUtf8());
  };
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    const bool paired = QChar::isHighSurrogate(c) && i + 1 < text.size() &&
                        QChar::isLowSurrogate(text[i + 1].unicode());
    if (paired) {
      ++i;
      continue;
    }
    if (QChar::isSurrogate(c)) {
      throw component::Error(
          kNameNotUnicode, ErrorSource(),
          QStringLiteral("The name '%1' holds bytes that are not UTF-8, which a snapshot cannot "
                         "keep")
              .arg(QString::fromUtf8(text.toUtf8())));
    }
    if (c >= 0x20 && c != u'"' && c != u'\\') continue;
    flush_plain(i);
    plain_from = i + 1;
    if (c == u'"' || c == u'\\') {
      out.append('\\').append(static_cast<char>(c));
    } else if (c == u'\n') {
      out.append("\\n");
    } else if (c == u'\t') {
      out.append("\\t");
    } else {
      out.append("\\u");
      for (int shift = 12; shift >= 0; shift -= 4) out.append(kHex[(c >> shift) & 0xf]);
    }
  }
  flush_plain(text.size());
  out.append('"');
}

void AppendNames(QByteArray& out, const QStringList& names) {
  out.append('[');
  for (qsizetype i = 0; i < names.size(); ++i) {
    if (i > 0) out.append(", ");
    AppendString(out, names[i]);
  }
  out.append(']');
}

void AppendColumn(QByteArray& out, const DataColumn& column) {
  const auto* stored = dynamic_cast<const CatalogColumn*>(&column);
  out.append("{\"name\": ");
  AppendString(out, column.Name());
  out.append(", \"declared_type\": ");
  AppendString(out, stored ? QStringView(stored->DeclaredType()) : QStringView());
  out.append(", \"data_type\": ").append(QByteArray::number(column.DataType()));
  out.append(", \"size\": ").append(QByteArray::number(column.Size()));
  out.append(", \"ordinal_position\": ").append(QByteArray::number(column.OrdinalPosition()));
  out.append(", \"required\": ").append(column.Required() ? "true" : "false");
  out.append(", \"attributes\": ").append(QByteArray::number(column.Attributes()));
  out.append(", \"allow_zero_length\": ").append(column.AllowZeroLength() ? "true" : "false");
  if (const QStringList labels = column.EnumerationLabels(); !labels.isEmpty()) {
    out.append(", \"labels\": ");
    AppendNames(out, labels);
  }
  out.append('}');
}

void AppendIndex(QByteArray& out, const IndexDefinition& index) {
  out.append("{\"name\": ");
  AppendString(out, index.name);
  out.append(", \"parts\": [");
  for (size_t i = 0; i < index.parts.size(); ++i) {
    const IndexPart& part = index.parts[i];
    out.append(i > 0 ? ", {" : "{");
    if (part.column.isEmpty()) {
      out.append("\"expression\": ");
      AppendString(out, part.expression);
    } else {
      out.append("\"column\": ");
      AppendString(out, part.column);
    }
    if (part.descending) out.append(", \"descending\": true");
    const auto text = [&out](const char* member, const QString& value) {
      if (value.isEmpty()) return;
      out.append(", \"").append(member).append("\": ");
      AppendString(out, value);
    };
    text("operator_class", part.operator_class);
    text("collation", part.collation);
    text("exclusion_operator", part.exclusion_operator);
    if (part.nulls_reversed) out.append(", \"nulls_reversed\": true");
    if (part.prefix_length > 0) {
      out.append(", \"prefix_length\": ").append(QByteArray::number(part.prefix_length));
    }
    out.append('}');
  }
  out.append(']');
  if (index.unique) out.append(", \"unique\": true");
  if (index.nulls_not_distinct) out.append(", \"nulls_not_distinct\": true");
  if (!index.predicate.isEmpty()) {
    out.append(", \"predicate\": ");
    AppendString(out, index.predicate);
  }
  if (index.origin != IndexDefinition::Origin::kIndex) {
    out.append(", \"origin\": \"").append(OriginWord(index.origin)).append('"');
  }
  if (!index.method.isEmpty()) {
    out.append(", \"method\": ");
    AppendString(out, index.method);
  }
  if (!index.included.isEmpty()) {
    out.append(", \"included\": ");
    AppendNames(out, index.included);
  }
  out.append('}');
}

void AppendRule(QByteArray& out, const RuleDefinition& rule) {
  out.append("{\"name\": ");
  AppendString(out, rule.name);
  out.append(", \"event\": ");
  AppendString(out, rule.event);
  if (rule.instead) out.append(", \"instead\": true");
  out.append(", \"definition\": ");
  AppendString(out, rule.definition);
  out.append('}');
}

void AppendCollation(QByteArray& out, const CollationDefinition& collation) {
  out.append("{\"name\": ");
  AppendString(out, collation.name);
  out.append(", \"provider\": ");
  AppendString(out, collation.provider);
  out.append(", \"locale\": ");
  AppendString(out, collation.locale);
  if (!collation.deterministic) out.append(", \"deterministic\": false");
  out.append('}');
}

void AppendForeignKey(QByteArray& out, const ForeignKeyDefinition& key) {
  out.append("{\"name\": ");
  AppendString(out, key.name);
  out.append(", \"columns\": ");
  AppendNames(out, key.columns);
  out.append(", \"referenced_table\": ");
  AppendString(out, key.referenced_table);
  out.append(", \"referenced_columns\": ");
  AppendNames(out, key.referenced_columns);
  out.append(", \"on_delete\": \"").append(ActionWord(key.on_delete));
  out.append("\", \"on_update\": \"").append(ActionWord(key.on_update)).append('"');
  if (key.deferrable) out.append(", \"deferrable\": true");
  if (key.initially_deferred) out.append(", \"initially_deferred\": true");
  if (key.match_full) out.append(", \"match_full\": true");
  out.append('}');
}

void AppendCheck(QByteArray& out, const CheckDefinition& check) {
  out.append("{\"name\": ");
  AppendString(out, check.name);
  out.append(", \"expression\": ");
  AppendString(out, check.expression);
  out.append('}');
}

// `, "member": TEXT`, only for a text that is not empty.
void AppendOptional(QByteArray& out, const char* member, const QString& text) {
  if (text.isEmpty()) return;
  out.append(", \"").append(member).append("\": ");
  AppendString(out, text);
}

void AppendColumnDetails(QByteArray& out, const ColumnDetails& details) {
  out.append("{\"column\": ");
  AppendString(out, details.column);
  // Null is no default; an empty text is written, as a default that is one.
  if (!details.default_value.isNull()) {
    out.append(", \"default\": ");
    AppendString(out, details.default_value);
  }
  if (const ColumnCollation* collation = details.collation.get()) {
    AppendOptional(out, "collation", collation->name);
    AppendOptional(out, "character_set", collation->character_set);
    AppendOptional(out, "collation_locale", collation->locale);
    if (!collation->deterministic) out.append(", \"collation_deterministic\": false");
  }
  if (const ColumnGeneration* generation = details.generation.get()) {
    AppendOptional(out, "generated", generation->expression);
    if (generation->stored) out.append(", \"generated_stored\": true");
  }
  AppendOptional(out, "on_update", details.on_update);
  out.append('}');
}

void AppendTrigger(QByteArray& out, const TriggerDefinition& trigger) {
  out.append("{\"name\": ");
  AppendString(out, trigger.name);
  out.append(", \"timing\": ");
  AppendString(out, trigger.timing);
  out.append(", \"events\": ");
  AppendNames(out, trigger.events);
  if (!trigger.update_columns.isEmpty()) {
    out.append(", \"update_columns\": ");
    AppendNames(out, trigger.update_columns);
  }
  if (!trigger.for_each_row) out.append(", \"for_each_row\": false");
  AppendOptional(out, "when", trigger.when);
  out.append(", \"body\": ");
  AppendString(out, trigger.body);
  out.append('}');
}

void AppendSequence(QByteArray& out, const SequenceDefinition& sequence) {
  out.append("{\"name\": ");
  AppendString(out, sequence.name);
  out.append(", \"start\": ").append(QByteArray::number(sequence.start));
  out.append(", \"increment\": ").append(QByteArray::number(sequence.increment));
  out.append(", \"minimum\": ").append(QByteArray::number(sequence.minimum));
  out.append(", \"maximum\": ").append(QByteArray::number(sequence.maximum));
  if (sequence.cycle) out.append(", \"cycle\": true");
  AppendOptional(out, "owned_by", sequence.owned_by);
  out.append('}');
}

// `"member": [` and each item on a line of its own, indented under a table or, with `top`,
// under the document; nothing at all for an empty list.
template <class Item, class Append>
void AppendList(QByteArray& out, const char* member, const std::vector<Item>& items, Append append,
                bool top = false) {
  if (items.empty()) return;
  const char* indent = top ? "  " : "      ";
  out.append(",\n").append(indent).append('"').append(member).append("\": [");
  const char* separator = top ? "\n    " : "\n        ";
  for (const Item& item : items) {
    out.append(separator);
    separator = top ? ",\n    " : ",\n        ";
    append(out, item);
  }
  out.append("\n").append(indent).append(']');
}

// The table's members after its columns; a table without objects gets none.
void AppendObjects(QByteArray& out, const TableObjects& objects) {
  if (const auto& key = objects.primary_key) {
    out.append(",\n      \"primary_key\": {\"name\": ");
    AppendString(out, key->name);
    out.append(", \"columns\": ");
    AppendNames(out, key->columns);
    out.append('}');
  }
  AppendList(out, "indexes", objects.indexes, AppendIndex);
  AppendList(out, "foreign_keys", objects.foreign_keys, AppendForeignKey);
  AppendList(out, "checks", objects.checks, AppendCheck);
  AppendList(out, "column_details", objects.columns, AppendColumnDetails);
  AppendList(out, "triggers", objects.triggers, AppendTrigger);
  AppendList(out, "rules", objects.rules, AppendRule);
  if (objects.unlogged) out.append(",\n      \"unlogged\": true");
  if (!objects.view_definition.isEmpty()) {
    out.append(",\n      \"view_definition\": ");
    AppendString(out, objects.view_definition);
  }
}

// The database's default collation, each field only when it says something.
void AppendDatabaseObjects(QByteArray& out, const DatabaseObjects& objects) {
  const auto field = [&out](const char* member, const QString& text) {
    if (text.isEmpty()) return;
    out.append(",\n  \"").append(member).append("\": ");
    AppendString(out, text);
  };
  field("default_collation", objects.default_collation);
  field("default_character_set", objects.default_character_set);
  field("default_collation_locale", objects.default_collation_locale);
  if (!objects.default_collation_deterministic) {
    out.append(",\n  \"default_collation_deterministic\": false");
  }
  AppendList(out, "sequences", objects.sequences, AppendSequence, true);
  AppendList(out, "collations", objects.collations, AppendCollation, true);
}

class ChunkedOutput {
 public:
  explicit ChunkedOutput(QIODevice& device) : device_(device) { buffer_.reserve(kFlushSize * 2); }
  QByteArray& buffer() { return buffer_; }
  void FlushWhenFull() {
    if (buffer_.size() >= kFlushSize) Flush();
  }
  void Flush() {
    if (device_.write(buffer_) != buffer_.size()) {
      throw component::Error(
          component::kPathFileAccessError, ErrorSource(),
          QStringLiteral("Cannot write the snapshot: %1").arg(device_.errorString()));
    }
    buffer_.clear();
  }

 private:
  QIODevice& device_;
  QByteArray buffer_;
};

}  // namespace

void WriteSnapshot(const DataConnection& connection, QIODevice& device) {
  ChunkedOutput output(device);
  QByteArray& out = output.buffer();
  out.append("{\n  \"format\": \"vantrel-snapshot\",\n  \"version\": ");
  out.append(QByteArray::number(kSnapshotFormatVersion));
  out.append(",\n  \"database\": ");
  AppendString(out, connection.DatabaseName());
  if (const QString engine = connection.Engine(); !engine.isEmpty()) {
    out.append(",\n  \"engine\": ");
    AppendString(out, engine);
  }
  out.append(",\n  \"object_kinds\": [");
  const char* kind_separator = "";
  for (const ObjectKindWord& kind : kObjectKindWords) {
    if ((connection.ObjectKinds() & kind.kind) == 0) continue;
    out.append(kind_separator).append('"').append(kind.word).append('"');
    kind_separator = ", ";
  }
  out.append(']');
  if (const DatabaseObjects* objects = connection.Objects()) AppendDatabaseObjects(out, *objects);
  out.append(",\n  \"tables\": [");
  const auto tables = connection.Tables().Enumerate();
  const char* table_separator = "\n";
  while (const DataTable* table = tables->Next()) {
    out.append(table_separator).append("    {\n      \"name\": ");
    table_separator = ",\n";
    AppendString(out, table->Name());
    if (table->IsView()) out.append(",\n      \"view\": true");
    out.append(",\n      \"columns\": [");
    const auto columns = table->Columns().Enumerate();
    const char* column_separator = "\n        ";
    bool any_column = false;
    while (const DataColumn* column = columns->Next()) {
      out.append(column_separator);
      column_separator = ",\n        ";
      any_column = true;
      AppendColumn(out, *column);
      output.FlushWhenFull();
    }
    out.append(any_column ? "\n      ]" : "]");
    if (const TableObjects* objects = table->Objects()) AppendObjects(out, *objects);
    out.append("\n    }");
    output.FlushWhenFull();
  }
  out.append(table_separator[0] == ',' ? "\n  ]\n}\n" : "]\n}\n");
  output.Flush();
}

}  // namespace dataaccess
