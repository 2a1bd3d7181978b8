#include "Protection.h"

#include <cstring>
#include <fstream>

#include "dataaccess/DbError.h"

namespace velmora::access {

namespace {
constexpr const char kJetMagic[] = "Standard Jet DB";
constexpr const char kAceMagic[] = "Standard ACE DB";
}  // namespace

DatabaseImage prepareDatabase(const std::string& path, const std::string& password) {
    std::ifstream file(path, std::ios::binary);
    char header[0x20] = {};
    if (!file || !file.read(header, sizeof header))
        throw db::DbError(db::errc::kProviderFailure,
                          "Unrecognized database format '" + path + "'.");
    if (std::memcmp(header + 4, kJetMagic, sizeof kJetMagic - 1) != 0 &&
        std::memcmp(header + 4, kAceMagic, sizeof kAceMagic - 1) != 0)
        throw db::DbError(db::errc::kProviderFailure,
                          "Unrecognized database format '" + path + "'.");
    return DatabaseImage{path, {}};
}

}  // namespace velmora::access
