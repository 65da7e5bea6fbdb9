// The scratch database on MySQL and MariaDB (dataaccess/scratch_server.h).
#include <mysql.h>

#include <QStringList>

#include "dataaccess/mysql/mysql_session.h"
#include "dataaccess/scratch_server.h"
#include "dataaccess/server/server_driver.h"

extern "C" const dataaccess::ServerEngine* vantrel_mysql_engine();

namespace dataaccess {
namespace {

class MysqlScratch final : public ScratchSession {
 public:
  explicit MysqlScratch(MysqlConnection mysql) : mysql_(std::move(mysql)) {}

  QString Run(const QString& statement) override {
    const QByteArray text = statement.toUtf8();
    if (mysql_real_query(mysql_.get(), text.constData(), text.size()) != 0) {
      return QString::fromUtf8(mysql_error(mysql_.get()));
    }
    if (MYSQL_RES* result = mysql_store_result(mysql_.get())) mysql_free_result(result);
    return QString();
  }

  qint64 ObjectCount() override {
    const QStringList rows =
        Rows("SELECT count(*) FROM information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE()");
    return rows.size() == 1 ? rows.front().toLongLong() : -1;
  }

  QString DropEverything() override {
    const QStringList objects = Rows(
        "SELECT CONCAT(CASE TABLE_TYPE WHEN 'VIEW' THEN 'VIEW' WHEN 'SEQUENCE' THEN 'SEQUENCE' "
        "ELSE 'TABLE' END, ' `', REPLACE(TABLE_NAME, '`', '``'), '`') FROM "
        "information_schema.TABLES WHERE TABLE_SCHEMA = DATABASE() ORDER BY TABLE_TYPE = 'VIEW' "
        "DESC");
    QString failure = Run(QStringLiteral("SET FOREIGN_KEY_CHECKS = 0"));
    for (const QString& object : objects) {
      const QString error = Run("DROP " + object);
      if (failure.isEmpty()) failure = error;
    }
    Run(QStringLiteral("SET FOREIGN_KEY_CHECKS = 1"));
    return failure;
  }

 private:
  QStringList Rows(const char* sql) {
    QStringList rows;
    if (mysql_query(mysql_.get(), sql) != 0) return rows;
    MYSQL_RES* result = mysql_store_result(mysql_.get());
    if (result == nullptr) return rows;
    while (MYSQL_ROW row = mysql_fetch_row(result)) {
      rows.append(QString::fromUtf8(row[0] != nullptr ? row[0] : ""));
    }
    mysql_free_result(result);
    return rows;
  }

  MysqlConnection mysql_;
};

std::unique_ptr<ScratchSession> OpenMysqlScratch(const ConnectRequest& request) {
  return std::make_unique<MysqlScratch>(OpenMysqlSession(request, nullptr, true));
}

}  // namespace
}  // namespace dataaccess

// What the data-access library looks up to open a scratch database on MySQL or MariaDB.
extern "C" __attribute__((visibility("default"))) const dataaccess::ScratchEngine*
vantrel_mysql_scratch() {
  vantrel_mysql_engine();  // sets up the client library once
  static const dataaccess::ScratchEngine engine{dataaccess::OpenMysqlScratch};
  return &engine;
}
