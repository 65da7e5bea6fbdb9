#include "vantrel/desktop/keyring.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

namespace vantrel::desktop {
namespace {

const QString kService = QStringLiteral("Vantrel");

// Starts the job and waits for it to finish.
void Run(QKeychain::Job& job) {
  job.setAutoDelete(false);
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
}

}  // namespace

QString KeyringKey(const dataaccess::PasswordRequest& server) {
  // The MySQL client reaches localhost through its Unix socket, where no port applies: the port
  // typed in the prompt and the one the library reports at a run must not tell them apart.
  const bool socket = server.engine == u"MySQL" && server.host == u"localhost";
  return QStringLiteral("%1 %2@%3:%4/%5")
      .arg(server.engine, server.user, server.host)
      .arg(socket ? 0 : server.port)
      .arg(server.database);
}

std::optional<QString> ReadKeyringPassword(const dataaccess::PasswordRequest& server) {
  QKeychain::ReadPasswordJob job(kService);
  job.setKey(KeyringKey(server));
  Run(job);
  if (job.error() != QKeychain::NoError) return std::nullopt;
  return job.textData();
}

QString StoreKeyringPassword(const dataaccess::PasswordRequest& server, const QString& password) {
  QKeychain::WritePasswordJob job(kService);
  job.setKey(KeyringKey(server));
  job.setTextData(password);
  Run(job);
  return job.error() == QKeychain::NoError ? QString() : job.errorString();
}

}  // namespace vantrel::desktop
