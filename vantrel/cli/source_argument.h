// How a database named on the command line is found: a stored data source of that display
// name, else the argument itself as a connect string.
#ifndef VANTREL_VANTREL_CLI_SOURCE_ARGUMENT_H_
#define VANTREL_VANTREL_CLI_SOURCE_ARGUMENT_H_

#include <string>

#include "vantrel/core/data_source_store.h"

namespace vantrel::cli {

// The data source `argument` names. `display_name`, when not empty, replaces the name it is
// shown under; otherwise that is the stored display name, or the argument less any password.
// Throws the store's errors, the description saying that the stored data sources could not be
// read.
DataSource SourceFromArgument(const std::string& argument, const std::string& display_name = {});

}  // namespace vantrel::cli

#endif  // VANTREL_VANTREL_CLI_SOURCE_ARGUMENT_H_
