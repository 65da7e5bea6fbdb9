// A database with nothing in it, of a given engine: what a migration script from nothing starts
// from (`vantrel-cli migrate --from-empty`), so that the whole structure of a database is written
// by the same planning as any change.
#ifndef VANTREL_VANTREL_CORE_EMPTY_DATABASE_H_
#define VANTREL_VANTREL_CORE_EMPTY_DATABASE_H_

#include <QString>
#include <memory>

#include "dataaccess/data_objects.h"

namespace vantrel {

// An empty database of `engine` (DataConnection::Engine's words) that tells every kind of object
// `like` tells, with `like`'s default collation, so that only what `like` holds differs.
std::unique_ptr<dataaccess::DataConnection> EmptyDatabase(const QString& engine,
                                                          const dataaccess::DataConnection& like);

}  // namespace vantrel

#endif  // VANTREL_VANTREL_CORE_EMPTY_DATABASE_H_
