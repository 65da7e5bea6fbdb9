// An expression written for another engine: what every engine reads alike is written in the
// target's quoting, and what engines read differently is refused rather than guessed.
#include <gtest/gtest.h>

#include "dataaccess/data_engine.h"
#include "testing/sqlite_test_file.h"
#include "vantrel/core/migration_sql.h"

namespace vantrel {
namespace {

using dataaccess::TypeDialect;
using dataaccess::test_support::SqliteTestFolder;

struct Row {
  const char* name;
  TypeDialect source;
  TypeDialect target;
  const char* expression;
  const char* written;  // null: refused
  bool to_existing_table = false;
};

TEST(MigrationExpressionTest, WhatEveryEngineReadsAlikeIsWrittenAndNothingElse) {
  constexpr auto kSqlite = TypeDialect::kSqlite;
  constexpr auto kPostgres = TypeDialect::kPostgres;
  constexpr auto kMysql = TypeDialect::kMysql;
  const std::vector<Row> rows = {
      {"names quoted as the table spells them", kSqlite, kPostgres,
       "Qty > 0 AND kind IN ('a', 'b')", "\"Qty\" > 0 AND \"kind\" IN ('a', 'b')"},
      {"a column the target has already, as it spells it", kSqlite, kPostgres, "QTY > 0",
       "\"qty\" > 0", true},
      {"quoted names and == for MySQL", kSqlite, kMysql, "[kind] == 'it''s'", "`kind` = 'it''s'"},
      {"a backslash, which MySQL reads as an escape", kSqlite, kMysql, "kind <> 'a\\b'",
       "`kind` <> 'a\\\\b'"},
      {"MySQL's lcase()", kMysql, kPostgres, "`kind` in ('a','b') and lcase(`kind`) <> 'x'",
       "\"kind\" in ('a','b') and lower(\"kind\") <> 'x'"},
      {"PostgreSQL's list", kPostgres, kMysql,
       "((kind)::text = ANY ((ARRAY['a'::character varying, 'b'::character varying])::text[]))",
       "`kind` in ('a', 'b')"},
      {"PostgreSQL's range", kPostgres, kSqlite, "((qty >= 0) AND (qty <= 10))",
       "\"Qty\" >= 0 and \"Qty\" <= 10"},
      {"CASE, and a column named as one of its words", kSqlite, kPostgres,
       "CASE WHEN Qty > 0 THEN 1 ELSE \"end\" END = 1",
       "CASE WHEN \"Qty\" > 0 THEN 1 ELSE \"end\" END = 1"},
      {"within one engine, as it is", kSqlite, kSqlite, "anything(kind) || 'y'",
       "anything(kind) || 'y'"},
      {"MySQL's escaped quote and backslash, as their values", kMysql, kPostgres,
       "`kind` <> 'don\\'t' and `kind` <> 'c:\\\\'", "\"kind\" <> 'don''t' and \"kind\" <> 'c:\\'"},
      {"MySQL's escaped backslash to SQLite", kMysql, kSqlite, "`kind` <> 'c:\\\\'",
       "\"kind\" <> 'c:\\'"},
      {"a double-quoted string to MySQL", kMysql, kSqlite, "\"kind\" = 'a'", nullptr},
      {"length(), which counts bytes on MySQL", kSqlite, kPostgres, "length(kind) > 0", nullptr},
      {"LIKE", kSqlite, kPostgres, "kind LIKE 'a%'", nullptr},
      {"||, which is OR to MySQL", kSqlite, kPostgres, "a || b = 'x'", nullptr},
      {"/, which divides integers on some engines only", kSqlite, kPostgres, "Qty / 2 > 1",
       nullptr},
      {"a collation", kSqlite, kPostgres, "kind = 'a' COLLATE NOCASE", nullptr},
      {"a word that names no column", kSqlite, kPostgres, "missing > 0", nullptr},
      {"PostgreSQL's conversion of an integer column where it meets a number", kPostgres, kMysql,
       "((qty)::numeric > 0.5)", "`Qty` > 0.5"},
      {"a cast to numeric in a division, which decides whether fractions are kept", kPostgres,
       kMysql, "(((qty)::numeric / 2) > 0.5)", nullptr},
      {"a cast that is not of a literal", kPostgres, kMysql, "((qty)::integer > 0)", nullptr},
      {"text that cannot be split", kSqlite, kPostgres, "kind = 'open", nullptr},
  };
  SqliteTestFolder folder;
  const QString path = folder.CreateDatabase(
      QStringLiteral("t.db"),
      "CREATE TABLE t (id INTEGER PRIMARY KEY, Qty INT, kind TEXT, a TEXT, b TEXT, \"end\" INT);");
  const QString target_path =
      folder.CreateDatabase(QStringLiteral("target.db"), "CREATE TABLE t (id INT, qty INT);");
  auto& environment = dataaccess::DataEngine::Instance().Environments().Item(0);
  const auto open = [&](const QString& file) {
    return environment.OpenConnection(QString(), dataaccess::kPromptCompleteRequired, true, file,
                                      dataaccess::kReadEveryObject);
  };
  const auto source = open(path);
  const auto target = open(target_path);
  const dataaccess::DataTable& table = source->Tables().Item(QStringLiteral("t"));
  const dataaccess::DataTable& existing = target->Tables().Item(QStringLiteral("t"));
  for (const Row& row : rows) {
    const MigrationSql sql(row.target, row.source);
    bool portable = false;
    const QString written = sql.Expression(QString::fromUtf8(row.expression), &table,
                                           row.to_existing_table ? &existing : nullptr, &portable);
    EXPECT_EQ(portable, row.written != nullptr) << row.name << ": " << row.expression;
    if (row.written != nullptr) {
      EXPECT_EQ(written.toStdString(), row.written) << row.name << ": " << row.expression;
    } else {
      EXPECT_EQ(written.toStdString(), row.expression) << row.name;
    }
  }
}

}  // namespace
}  // namespace vantrel
