// What information_schema.COLUMNS.EXTRA says of a column on MariaDB and MySQL.
#include <gtest/gtest.h>

#include "dataaccess/catalog/type_kinds.h"
#include "dataaccess/mysql/mysql_catalog.h"

namespace dataaccess {
namespace {

TEST(MysqlCatalogTest, ExtraGivesAutoIncrementAndGeneratedColumns) {
  const struct {
    const char* extra;
    int32_t attributes;
  } rows[] = {
      {"", 0},
      {"auto_increment", kAutoIncrement},
      {"AUTO_INCREMENT INVISIBLE", kAutoIncrement},
      {"VIRTUAL GENERATED", kGenerated},
      {"STORED GENERATED", kGenerated},
      {"persistent", kGenerated},
      {"on update current_timestamp()", 0},
      // MySQL: a default that is an expression (CURRENT_TIMESTAMP, too) is no generated column
      {"DEFAULT_GENERATED", 0},
      {"DEFAULT_GENERATED on update CURRENT_TIMESTAMP", 0},
      {"INVISIBLE", 0},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(ExtraAttributes(row.extra), row.attributes) << row.extra;
  }
}

}  // namespace
}  // namespace dataaccess
