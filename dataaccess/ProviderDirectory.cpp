#include "dataaccess/ProviderDirectory.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <mutex>
#include <string>
#include <system_error>
#include <vector>

#include "dataaccess/DbError.h"

#ifndef VELMORA_MODULE_RELDIR
#define VELMORA_MODULE_RELDIR "../lib/velmora"
#endif
#ifndef VELMORA_PROVIDER_SUBDIR
#define VELMORA_PROVIDER_SUBDIR "provider"
#endif

namespace velmora::db {

namespace {

constexpr const char* kModuleName = "libvelmora-access.so";
constexpr const char* kNotFound = "Provider cannot be found. It may not be properly installed.";

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::filesystem::path executableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : exe.parent_path();
}

// The module handle stays loaded for the life of the process: sessions and cursors
// that the module created may outlive any one connection object.
std::shared_ptr<Provider> loadAccessModule() {
    const auto path = accessProviderModulePath();
    void* handle = path.empty() ? nullptr : dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) throw DbError(errc::kProviderNotFound, kNotFound);
    auto abi = reinterpret_cast<ProviderAbiFunction>(dlsym(handle, kProviderAbiSymbol));
    auto create = reinterpret_cast<ProviderCreateFunction>(dlsym(handle, kProviderCreateSymbol));
    if (!abi || !create || abi() != kProviderAbiVersion) {
        dlclose(handle);
        throw DbError(errc::kProviderNotFound, kNotFound);
    }
    return std::shared_ptr<Provider>(create());
}

struct BuiltInDriver {
    std::string keyword;
    std::function<std::shared_ptr<Provider>()> factory;
};

std::mutex builtInMutex;
std::vector<BuiltInDriver>& builtInDrivers() {
    static std::vector<BuiltInDriver> drivers;
    return drivers;
}

}  // namespace

void registerBuiltInDriver(std::string keyword,
                           std::function<std::shared_ptr<Provider>()> factory) {
    std::lock_guard lock(builtInMutex);
    builtInDrivers().push_back({lower(std::move(keyword)), std::move(factory)});
}

std::filesystem::path accessProviderModulePath() {
    const auto folder = executableFolder();
    if (folder.empty()) return {};
    // Beside the executable in the build tree; installed, below the windowed program's own
    // folder, and reached from the binary folder for the command line.
    for (const auto& candidate :
         {folder / kModuleName, folder / VELMORA_PROVIDER_SUBDIR / kModuleName,
          folder / VELMORA_MODULE_RELDIR / VELMORA_PROVIDER_SUBDIR / kModuleName}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(candidate, ec)) return candidate;
    }
    return {};
}

std::shared_ptr<Provider> accessProvider() {
    static std::mutex mutex;
    static std::shared_ptr<Provider> loaded;
    std::lock_guard lock(mutex);
    if (!loaded) loaded = loadAccessModule();
    return loaded;
}

std::shared_ptr<Provider> providerFor(const ConnectionString& settings) {
    const std::string provider = lower(settings.value("Provider"));
    if (provider == "microsoft.ace.oledb.12.0" || provider == "microsoft.jet.oledb.4.0")
        return accessProvider();
    const std::string driver = lower(settings.value("Driver"));
    if (provider.empty()) {
        std::lock_guard lock(builtInMutex);
        for (const auto& builtIn : builtInDrivers())
            if (driver.find(builtIn.keyword) != std::string::npos) return builtIn.factory();
    }
    throw DbError(errc::kProviderNotFound, kNotFound);
}

}  // namespace velmora::db
