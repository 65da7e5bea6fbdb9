// The snapshot driver: opens a catalog snapshot file (dataaccess/snapshot.h) as a database.
//
// Accepts "snapshot:PATH", and a bare PATH of a file that starts as JSON. A relative PATH is
// resolved against the working directory.
#ifndef VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_DRIVER_H_
#define VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_DRIVER_H_

#include "dataaccess/drivers/driver.h"

namespace dataaccess {

class SnapshotDriver final : public Driver {
 public:
  QString Name() const override { return QStringLiteral("snapshot"); }
  bool Accepts(const ConnectRequest& request) const override;
  CatalogRead Connect(const ConnectRequest& request) const override;
};

}  // namespace dataaccess

#endif  // VANTREL_DATAACCESS_SNAPSHOT_SNAPSHOT_DRIVER_H_
