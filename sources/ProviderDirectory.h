#pragma once
// Finds the provider that serves a connection string: the Access provider, loaded
// at run time from its own module, or the built-in Paradox driver.

#include <filesystem>
#include <memory>

#include "dataaccess/Provider.h"

namespace velmora::db {

std::shared_ptr<Provider> providerFor(const ConnectionString& settings);

// Loads (once) and returns the Access provider module; throws DbError 3706 when it is
// missing or unusable.
std::shared_ptr<Provider> accessProvider();

// Where the Access provider module is looked for: beside the executable (build tree),
// then the installed module folder.
std::filesystem::path accessProviderModulePath();

}  // namespace velmora::db
