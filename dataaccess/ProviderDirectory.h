#pragma once
// Finds the provider that serves a connection string: the Access provider, loaded
// at run time from its own module, or a driver built into the program. Built-in drivers
// register themselves, so this layer needs none of their headers.

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "dataaccess/Provider.h"

namespace velmora::db {

std::shared_ptr<Provider> providerFor(const ConnectionString& settings);

// Serves connection strings without a Provider whose Driver contains `keyword`
// (case-insensitive) with the provider `factory` returns.
void registerBuiltInDriver(std::string keyword, std::function<std::shared_ptr<Provider>()> factory);

// Loads (once) and returns the Access provider module; throws DbError 3706 when it is
// missing or unusable.
std::shared_ptr<Provider> accessProvider();

// Where the Access provider module is looked for: beside the executable (build tree),
// then the installed provider folder.
std::filesystem::path accessProviderModulePath();

}  // namespace velmora::db
