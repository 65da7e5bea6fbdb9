#include "dataaccess/odbc/odbc_driver.h"

#include "dataaccess/odbc/odbc_catalog.h"
#include "dataaccess/odbc/odbc_session.h"

namespace dataaccess {
namespace {

class OdbcServerSession final : public ServerSession {
 public:
  explicit OdbcServerSession(std::unique_ptr<OdbcSession> session) : session_(std::move(session)) {}
  QString DatabaseName() const override { return session_->CurrentDatabase(); }
  void ReadCatalog(const QString& target, CatalogTables& tables) const override {
    ReadOdbcCatalog(*session_, target, tables);
  }

 private:
  std::unique_ptr<OdbcSession> session_;
};

}  // namespace

bool OdbcDriver::Accepts(const ConnectRequest& request) const {
  return IsOdbcConnectString(request.connect_string);
}

std::unique_ptr<ServerSession> OdbcDriver::Connect(const ConnectRequest& request) const {
  return std::make_unique<OdbcServerSession>(OpenOdbcSession(request));
}

// The session stays on the database the request names, so the request says how to reopen it.
QString OdbcDriver::ReopenString(const ConnectRequest& request, const QString&) const {
  return OdbcReopenString(request);
}

}  // namespace dataaccess
