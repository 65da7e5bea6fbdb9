// The scratch database on PostgreSQL (dataaccess/scratch_server.h).
#include <libpq-fe.h>

#include "dataaccess/postgres/postgres_session.h"
#include "dataaccess/scratch_server.h"
#include "dataaccess/server/server_driver.h"

namespace dataaccess {
namespace {

// The schemas that are not PostgreSQL's own.
constexpr char kUserSchema[] =
    "n.nspname NOT IN ('pg_catalog', 'information_schema') AND n.nspname NOT LIKE 'pg\\_toast%' "
    "AND n.nspname NOT LIKE 'pg\\_temp%'";
// The relations the database holds besides PostgreSQL's own schemas.
QByteArray UserRelations() {
  return QByteArray(
             "FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
             "WHERE c.relkind IN ('r', 'p', 'v', 'm', 'f', 'S') AND ") +
         kUserSchema;
}
// Its enum types, which a script makes before the tables of them.
QByteArray UserEnumTypes() {
  return QByteArray(
             "FROM pg_type t JOIN pg_namespace n ON n.oid = t.typnamespace "
             "WHERE t.typtype = 'e' AND ") +
         kUserSchema;
}

class PostgresScratch final : public ScratchSession {
 public:
  explicit PostgresScratch(PgConnection conn) : conn_(std::move(conn)) {
    // The server's notices ("drop cascades to ...") are not for the user's terminal.
    PQsetNoticeProcessor(
        conn_.get(), [](void*, const char*) {}, nullptr);
  }

  QString Run(const QString& statement) override {
    const PgResult result(PQexec(conn_.get(), statement.toUtf8().constData()));
    const ExecStatusType status = PQresultStatus(result.get());
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return QString();
    return QString::fromUtf8(PQresultErrorMessage(result.get())).trimmed();
  }

  qint64 ObjectCount() override {
    const PgResult result(
        PQexec(conn_.get(), (QByteArray("SELECT (SELECT count(*) ") + UserRelations() +
                             ") + (SELECT count(*) " + UserEnumTypes() + ")")
                                .constData()));
    if (PQresultStatus(result.get()) != PGRES_TUPLES_OK || PQntuples(result.get()) != 1) return -1;
    return QByteArray(PQgetvalue(result.get(), 0, 0)).toLongLong();
  }

  QString DropEverything() override {
    // Views first, then tables (and what depends on them, CASCADE), then what is left.
    return Run(
        QStringLiteral("DO $vantrel$ DECLARE r record; BEGIN "
                       "FOR r IN SELECT n.nspname AS s, c.relname AS t, c.relkind AS k ") +
        QString::fromLatin1(UserRelations()) +
        QStringLiteral(
            " ORDER BY CASE c.relkind WHEN 'v' THEN 0 WHEN 'm' THEN 1 WHEN 'S' THEN 3 ELSE 2 END "
            "LOOP EXECUTE format('DROP %s IF EXISTS %I.%I CASCADE', CASE r.k WHEN 'v' THEN 'VIEW' "
            "WHEN 'm' THEN 'MATERIALIZED VIEW' WHEN 'S' THEN 'SEQUENCE' WHEN 'f' THEN "
            "'FOREIGN TABLE' ELSE 'TABLE' END, r.s, r.t); END LOOP; "
            "FOR r IN SELECT n.nspname AS s, t.typname AS t ") +
        QString::fromLatin1(UserEnumTypes()) +
        QStringLiteral(" LOOP EXECUTE format('DROP TYPE IF EXISTS %I.%I CASCADE', r.s, r.t); "
                       "END LOOP; END $vantrel$"));
  }

 private:
  PgConnection conn_;
};

std::unique_ptr<ScratchSession> OpenPostgresScratch(const ConnectRequest& request) {
  return std::make_unique<PostgresScratch>(OpenPostgresSession(request, true));
}

}  // namespace
}  // namespace dataaccess

// What the data-access library looks up to open a scratch database on PostgreSQL.
extern "C" __attribute__((visibility("default"))) const dataaccess::ScratchEngine*
vantrel_postgres_scratch() {
  static const dataaccess::ScratchEngine engine{dataaccess::OpenPostgresScratch};
  return &engine;
}
