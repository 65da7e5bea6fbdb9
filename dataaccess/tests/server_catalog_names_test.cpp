// The names tables of server schemas get in the catalog, and so in the report.
#include <gtest/gtest.h>

#include "dataaccess/server/server_table_name.h"
#include "testing/testutil.h"

namespace dataaccess {
namespace {

TEST(ServerCatalogNamesTest, QualifiedNamesNeverCollide) {
  const struct {
    const char* schema;
    const char* table;
    const char* name;
  } rows[] = {
      {"public", "orders", "orders"},
      {"sales", "orders", "sales.orders"},
      {"public", "sales.orders", "\"sales.orders\""},
      {"sales.eu", "orders", "\"sales.eu\".orders"},
      {"sales", "eu.orders", "sales.\"eu.orders\""},
      {"public", "\"quoted\"", "\"\"\"quoted\"\"\""},
      {"public", "it's", "it's"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ServerTableName("public", row.schema, row.table), row.name)
        << row.schema << " " << row.table;
  }
}

}  // namespace
}  // namespace dataaccess
