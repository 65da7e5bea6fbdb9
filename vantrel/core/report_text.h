// The text report: each Difference written into the results view as its paragraph, and the risk
// line under it when the report explains. The one place a walk's report text is written: every
// name and definition from a database passes VisibleText here, so that no name can forge a
// paragraph, and every piece of a paragraph is written on its own, so that a piece that cannot
// be built (a name that cannot be read) leaves out that piece only.
#ifndef VANTREL_VANTREL_CORE_REPORT_TEXT_H_
#define VANTREL_VANTREL_CORE_REPORT_TEXT_H_

#include <QString>
#include <functional>
#include <vector>

#include "dataaccess/data_objects.h"
#include "vantrel/core/difference.h"
#include "vantrel/core/results_view.h"

namespace vantrel {

class ReportText {
 public:
  // How a paragraph names a side's database: "Sales Live.SALES", built for each piece that shows
  // it; a piece whose name cannot be built (throws) is left out.
  using QualifiedName = std::function<QString()>;

  // With `explain` a risk line follows each paragraph, with `details` one line per property.
  ReportText(ResultsView& view, QualifiedName driving, QualifiedName other, bool explain,
             bool details = false);
  // `driving_source` and `other_source` are the display names of the sides, as VisibleText
  // gives them; the paragraphs qualify them with each connection's DatabaseName.
  ReportText(ResultsView& view, const dataaccess::DataConnection& driving,
             const QString& driving_source, const dataaccess::DataConnection& other,
             const QString& other_source, bool explain, bool details = false);

  // Appends the paragraph of `difference`. Never throws.
  void Paragraph(const Difference& difference) noexcept;
  // Appends the lines of the properties in which the paragraph just appended differs: each with
  // its value on the primary, then on the secondary. Never throws.
  void Details(const Difference& difference) noexcept;
  // Ends the paragraph and its details where no risk line follows. Never throws.
  void EndDetails() noexcept;
  // Appends the risk line of the paragraph just appended. Never throws.
  void RiskLine(const QString& risk) noexcept;

 private:
  template <class Piece>
  void Append(Piece&& piece) noexcept;
  void EndParagraph() noexcept;
  QString End() const;

  void MissingTable(const Difference& difference);
  template <class Title>
  void MissingInTable(Title&& title, const Difference& difference);
  template <class Title>
  void DifferingInTable(Title&& title, const Difference& difference);
  void FieldCount(const Difference& difference);
  void DatabaseProperties(const Difference& difference);
  template <class Title>
  void MissingInDatabase(Title&& title);
  template <class Title>
  void DifferingInDatabase(Title&& title, const Difference& difference);

  ResultsView& view_;
  const QualifiedName driving_;
  const QualifiedName other_;
  const bool explain_;
  const bool details_;
};

// The report of `differences`, found between the databases named `primary` and `secondary` (as
// the report shows them: "Sales Live.SALES"), with LF line ends; with `explain`, each paragraph
// followed by its risk line, the sides' display names `primary_name` and `secondary_name`. The
// fleet check writes what targets share with a target's names as "<target>".
QString ReportOf(const std::vector<Difference>& differences, const QString& primary_name,
                 const QString& primary, const QString& secondary_name, const QString& secondary,
                 bool explain, bool details = false);

// "50", "yes", "VARCHAR(50)", "none": a property's value on the primary (or the secondary) as a
// detail line shows it.
QString DetailValue(const Difference& difference, const Difference::Property& property,
                    bool primary);

// "Not compared: check constraints, which 'B.b' cannot tell": that `what` (the words of
// ComparedKindWords::not_told) was asked for but not compared, because the side named `side`
// cannot tell it, or, `across_engines`, because the two write it in different engines' SQL.
// Never throws.
void AppendNotComparedParagraph(ResultsView& view, const QString& what, bool across_engines,
                                const QString& side, const QString& other) noexcept;

// "Data Type, Size": the labels of a difference's properties, as its paragraph lists them.
QString PropertyList(const Difference& difference);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_REPORT_TEXT_H_
