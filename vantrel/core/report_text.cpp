#include "vantrel/core/report_text.h"

#include <QStringList>
#include <exception>
#include <utility>

#include "dataaccess/catalog/type_kinds.h"
#include "vantrel/core/difference_risk.h"
#include "vantrel/core/visible_text.h"

namespace vantrel {
namespace {

const QString kLineBreaks = QStringLiteral("\r\n\r\n");

// A name the walk could not read is held as a null string: the piece that shows it is left out.
const QString& Readable(const QString& name) {
  if (name.isNull()) throw std::exception();
  return name;
}

QString FieldTitle(const Difference& difference) {
  return "Field: '" + VisibleText(difference.field) + "'";
}

// The object's definition, and the name it has on the driving side when it has one.
QString ObjectTitle(const Difference& difference) {
  QString title = QLatin1String(WordsOf(difference.object_kind).label) + ": '" +
                  VisibleText(difference.object) + "'";
  if (!difference.object_name.isEmpty()) title += " (" + VisibleText(difference.object_name) + ")";
  return title;
}

// An object of the database is known by its name.
QString DatabaseObjectTitle(const Difference& difference) {
  return QLatin1String(WordsOf(difference.object_kind).label) + ": '" +
         VisibleText(difference.object) + "'";
}

// Labels as SQL lists them: 'a','it''s'.
QString QuotedLabels(const QStringList& labels) {
  QStringList quoted;
  for (QString label : labels)
    quoted.append(u'\'' + label.replace(u'\'', QLatin1String("''")) + u'\'');
  return quoted.join(u',');
}

// The words of a column's attribute bits, as a detail line lists them.
QString AttributeWords(int32_t attributes) {
  const struct {
    int32_t bit;
    const char* word;
  } words[] = {
      {dataaccess::kFixedLength, "fixed length"}, {dataaccess::kVariableLength, "variable length"},
      {dataaccess::kAutoIncrement, "numbered"},   {dataaccess::kAlwaysNumbered, "numbered ALWAYS"},
      {dataaccess::kGenerated, "generated"},      {dataaccess::kUnsigned, "UNSIGNED"}};
  QStringList listed;
  for (const auto& word : words) {
    if (attributes & word.bit) listed.append(QLatin1String(word.word));
  }
  return listed.isEmpty() ? QStringLiteral("none") : listed.join(QStringLiteral(", "));
}

}  // namespace

QString DetailValue(const Difference& difference, const Difference::Property& property,
                    bool primary) {
  const bool driving = primary == difference.driving_is_primary;
  const QVariant& value = driving ? property.driving_value : property.other_value;
  const std::optional<ColumnFacts>& column =
      driving ? difference.driving_column : difference.other_column;
  if (!value.isValid()) return QStringLiteral("unreadable");
  switch (property.id) {
    case PropertyId::kRequired:
    case PropertyId::kAllowZeroLength:
      return value.toBool() ? QStringLiteral("yes") : QStringLiteral("no");
    case PropertyId::kAttributes:
      return AttributeWords(value.toInt());
    case PropertyId::kDataType: {
      // The type as the engine spells it says more than its kind's number, and where both
      // sides spell it alike (MariaDB's JSON is a longtext), the kind says what differs.
      if (!column || column->declared_type.isEmpty()) break;
      const std::optional<ColumnFacts>& other =
          driving ? difference.other_column : difference.driving_column;
      if (other && other->declared_type.compare(column->declared_type, Qt::CaseInsensitive) == 0 &&
          other->data_type != column->data_type) {
        return VisibleText(column->declared_type) + " (" + dataaccess::KindName(column->data_type) +
               u')';
      }
      return VisibleText(column->declared_type);
    }
    case PropertyId::kSize:
      if (column && column->data_type == dataaccess::kDecimal) {
        // A DECIMAL without digits takes the engine's own: none are declared.
        if (value.toInt() == 0) return QStringLiteral("not declared");
        const auto size = static_cast<uint32_t>(value.toInt());
        return QString::number(size >> 16) + u',' + QString::number(size & 0xffff);
      }
      // An enumeration's Size is a hash of its labels, which say what the number stands for.
      if (column &&
          (column->data_type == dataaccess::kEnum || column->data_type == dataaccess::kSet)) {
        const QStringList labels = EnumerationLabels(*column);
        if (!labels.isEmpty()) return VisibleText(QuotedLabels(labels));
      }
      // A varying kind's size 0 is no limit.
      if (column && (column->attributes & dataaccess::kVariableLength) && value.toInt() == 0) {
        return QStringLiteral("unlimited");
      }
      break;
    default:
      break;
  }
  // Escaped as the report escapes names, never cut or joined: a line break shows as one.
  const QString text = value.toString();
  return text.isEmpty() ? QStringLiteral("none") : VisibleText(text);
}

QString PropertyList(const Difference& difference) {
  QStringList labels;
  for (const Difference::Property& property : difference.properties) {
    labels.append(LabelOf(property.id));
  }
  return labels.join(QStringLiteral(", "));
}

ReportText::ReportText(ResultsView& view, QualifiedName driving, QualifiedName other, bool explain,
                       bool details)
    : view_(view),
      driving_(std::move(driving)),
      other_(std::move(other)),
      explain_(explain),
      details_(details) {}

ReportText::ReportText(ResultsView& view, const dataaccess::DataConnection& driving,
                       const QString& driving_source, const dataaccess::DataConnection& other,
                       const QString& other_source, bool explain, bool details)
    : ReportText(
          view,
          [&driving, driving_source] {
            return driving_source + u'.' + VisibleText(driving.DatabaseName());
          },
          [&other, other_source] {
            return other_source + u'.' + VisibleText(other.DatabaseName());
          },
          explain, details) {}

void ReportText::Paragraph(const Difference& difference) noexcept {
  using Kind = Difference::Kind;
  try {
    switch (difference.kind) {
      case Kind::kTableMissing:
        MissingTable(difference);
        return;
      case Kind::kFieldMissing:
        MissingInTable([&] { return FieldTitle(difference); }, difference);
        return;
      case Kind::kFieldProperties:
        DifferingInTable([&] { return FieldTitle(difference); }, difference);
        return;
      case Kind::kFieldCount:
        FieldCount(difference);
        return;
      case Kind::kObjectMissing:
        MissingInTable([&] { return ObjectTitle(difference); }, difference);
        return;
      case Kind::kObjectProperties:
        DifferingInTable([&] { return ObjectTitle(difference); }, difference);
        return;
      case Kind::kDatabaseProperties:
        DatabaseProperties(difference);
        return;
      case Kind::kSequenceMissing:
      case Kind::kDatabaseObjectMissing:
        MissingInDatabase([&] { return DatabaseObjectTitle(difference); });
        return;
      case Kind::kSequenceProperties:
      case Kind::kDatabaseObjectProperties:
        DifferingInDatabase([&] { return DatabaseObjectTitle(difference); }, difference);
        return;
    }
  } catch (const std::exception&) {
    // Only building a piece's closure can get here; the pieces written stay.
  }
}

void ReportText::RiskLine(const QString& risk) noexcept {
  Append([&] { return "    " + VisibleText(risk) + kLineBreaks; });
  try {
    view_.RepaintText();
  } catch (const std::exception&) {
    // The text is in the view; only its repaint is late.
  }
}

template <class Piece>
void ReportText::Append(Piece&& piece) noexcept {
  try {
    view_.AppendText(piece());
  } catch (const std::exception&) {
    // This piece of the paragraph is left out; the others are written.
  }
}

void ReportText::EndParagraph() noexcept {
  try {
    view_.RepaintText();
  } catch (const std::exception&) {
    // As above.
  }
}

// How a paragraph ends: a blank line, or, when detail or risk lines follow, just the line's end.
QString ReportText::End() const {
  return explain_ || details_ ? QStringLiteral("\r\n") : kLineBreaks;
}

void ReportText::Details(const Difference& difference) noexcept {
  for (const Difference::Property& property : difference.properties) {
    Append([&] {
      return "    " + LabelOf(property.id) + ": " + DetailValue(difference, property, true) +
             " | " + DetailValue(difference, property, false) + "\r\n";
    });
  }
}

void ReportText::EndDetails() noexcept {
  Append([] { return QStringLiteral("\r\n"); });
  EndParagraph();
}

void ReportText::MissingTable(const Difference& difference) {
  Append([&] { return "Table: '" + VisibleText(difference.table) + "' exists in "; });
  Append([&] { return "database '" + driving_() + "'"; });
  Append([&] { return QStringLiteral(", but not in '"); });
  Append([&] { return other_() + "'" + End(); });
  EndParagraph();
}

// "TITLE exists in table 'A.db.t', but not in 'B.db.t'", TITLE naming a field or an object.
template <class Title>
void ReportText::MissingInTable(Title&& title, const Difference& difference) {
  Append([&] { return title() + " exists in "; });
  Append([&] { return "table '" + driving_() + "."; });
  Append([&] { return VisibleText(difference.table) + "', but not in '"; });
  Append([&] { return other_() + "."; });
  Append([&] { return VisibleText(Readable(difference.other_table)) + "'" + End(); });
  EndParagraph();
}

// "TITLE in table 'A.db.t', and B.db.t differ in the following ways. [LIST]".
template <class Title>
void ReportText::DifferingInTable(Title&& title, const Difference& difference) {
  Append([&] { return title() + " in "; });
  Append([&] { return "table '" + driving_() + "."; });
  Append([&] { return VisibleText(difference.table) + "', and "; });
  Append([&] { return other_() + "."; });
  Append([&] { return VisibleText(Readable(difference.other_table)); });
  Append([&] { return QStringLiteral(" differ in the following ways. ["); });
  Append([&] { return PropertyList(difference) + "]" + End(); });
  EndParagraph();
}

void ReportText::FieldCount(const Difference& difference) {
  Append([&] { return "Table: '" + driving_() + "."; });
  Append([&] { return VisibleText(difference.table) + "', and '"; });
  Append([&] { return other_() + "."; });
  Append([&] { return VisibleText(Readable(difference.other_table)); });
  Append([&] { return QStringLiteral("' differ in the following ways. ["); });
  Append([&] { return "Number of Fields]" + End(); });
  EndParagraph();
}

void ReportText::DatabaseProperties(const Difference& difference) {
  Append([&] { return "Database: '" + driving_() + "', and '"; });
  Append([&] { return other_(); });
  Append(
      [&] { return "' differ in the following ways. [" + PropertyList(difference) + "]" + End(); });
  EndParagraph();
}

// "TITLE exists in database 'A.db', but not in 'B.db'", TITLE naming an object of the database.
template <class Title>
void ReportText::MissingInDatabase(Title&& title) {
  Append([&] { return title() + " exists in "; });
  Append([&] { return "database '" + driving_() + "'"; });
  Append([&] { return QStringLiteral(", but not in '"); });
  Append([&] { return other_() + "'" + End(); });
  EndParagraph();
}

// "TITLE in database 'A.db', and B.db differ in the following ways. [LIST]".
template <class Title>
void ReportText::DifferingInDatabase(Title&& title, const Difference& difference) {
  Append([&] { return title() + " in "; });
  Append([&] { return "database '" + driving_() + "', and "; });
  Append([&] { return other_(); });
  Append([&] { return QStringLiteral(" differ in the following ways. ["); });
  Append([&] { return PropertyList(difference) + "]" + End(); });
  EndParagraph();
}

void AppendNotComparedParagraph(ResultsView& view, const QString& what, bool across_engines,
                                const QString& side, const QString& other) noexcept {
  try {
    const QString why =
        across_engines ? "which '" + side + "' and '" + other + "' write in different engines' SQL"
                       : "which '" + side + "' cannot tell";
    view.AppendText("Not compared: " + what + ", " + why + kLineBreaks);
    view.RepaintText();
  } catch (const std::exception&) {
    // The run's outcome still says it; only the report's sentence is lost.
  }
}

QString ReportOf(const std::vector<Difference>& differences, const QString& primary_name,
                 const QString& primary, const QString& secondary_name, const QString& secondary,
                 bool explain, bool details) {
  TextResultsView view;
  const auto named = [](const QString& name) { return [name] { return name; }; };
  for (const Difference& difference : differences) {
    const bool from_primary = difference.driving_is_primary;
    ReportText text(view, named(from_primary ? primary : secondary),
                    named(from_primary ? secondary : primary), explain, details);
    text.Paragraph(difference);
    if (details) text.Details(difference);
    if (explain) {
      text.RiskLine(DifferenceRisk(difference, from_primary ? primary_name : secondary_name,
                                   from_primary ? secondary_name : primary_name));
    } else if (details) {
      text.EndDetails();
    }
  }
  return view.Text().replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace vantrel
