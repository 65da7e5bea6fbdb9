#include "vantrel/core/comparison_run.h"

#include "corbenna/string_handler.h"
#include "dataaccess/data_engine.h"
#include "platform/component/class_factory.h"
#include "vantrel/core/compare_tables.h"

namespace vantrel {
namespace {

std::unique_ptr<dataaccess::DataConnection> Open(const DataSource& source, Side side) {
  try {
    return dataaccess::DataEngine::Instance().Environments().Item(0).OpenConnection(
        source.database_name, dataaccess::kPromptCompleteRequired, true, source.connect_string);
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

}  // namespace

void RunComparison(const DataSource& primary, const DataSource& secondary, ResultsView& view) {
  view.ClearText();
  auto primary_connection = Open(primary, Side::kPrimary);
  auto secondary_connection = Open(secondary, Side::kSecondary);
  CompareTables(*primary_connection, primary.display_name, *secondary_connection,
                secondary.display_name, view);
  CompareTables(*secondary_connection, secondary.display_name, *primary_connection,
                primary.display_name, view);
  Close(*primary_connection, Side::kPrimary);
  Close(*secondary_connection, Side::kSecondary);
}

bool ReportIsBlank(const QString& report) {
  // The program's one StringHandler, created on first use and kept until the process ends.
  static const std::shared_ptr<corbenna::_StringHandler> strings =
      std::dynamic_pointer_cast<corbenna::_StringHandler>(
          component::CreateObject(QStringLiteral("corbenna.StringHandler")));
  return strings->IsBlank(report);
}

}  // namespace vantrel
