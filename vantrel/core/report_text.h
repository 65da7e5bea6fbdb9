// The text report: each Difference written into the results view as its paragraph, and the risk
// line under it when the report explains. The one place a walk's report text is written: every
// name and definition from a database passes VisibleText here, so that no name can forge a
// paragraph, and every piece of a paragraph is written on its own, so that a piece that cannot
// be built (a name that cannot be read) leaves out that piece only.
#ifndef VANTREL_VANTREL_CORE_REPORT_TEXT_H_
#define VANTREL_VANTREL_CORE_REPORT_TEXT_H_

#include <QString>

#include "dataaccess/data_objects.h"
#include "vantrel/core/difference.h"
#include "vantrel/core/results_view.h"

namespace vantrel {

class ReportText {
 public:
  // `driving_source` and `other_source` are the display names of the sides, as VisibleText
  // gives them; the paragraphs qualify them with each connection's DatabaseName, read for each
  // paragraph.
  ReportText(ResultsView& view, const dataaccess::DataConnection& driving, QString driving_source,
             const dataaccess::DataConnection& other, QString other_source, bool explain);

  // Appends the paragraph of `difference`. Never throws.
  void Paragraph(const Difference& difference) noexcept;
  // Appends the risk line of the paragraph just appended. Never throws.
  void RiskLine(const QString& risk) noexcept;

 private:
  template <class Piece>
  void Append(Piece&& piece) noexcept;
  void EndParagraph() noexcept;
  QString End() const;
  QString DrivingDatabase() const;
  QString OtherDatabase() const;

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
  const dataaccess::DataConnection& driving_;
  const QString driving_source_;
  const dataaccess::DataConnection& other_;
  const QString other_source_;
  const bool explain_;
};

// "Data Type, Size": the labels of a difference's properties, as its paragraph lists them.
QString PropertyList(const Difference& difference);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_REPORT_TEXT_H_
