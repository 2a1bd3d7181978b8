// The Access provider module: read-only access to .mdb and .accdb files. Its only
// exported symbols are the two entry points below; everything else is hidden.

#include "access/AccessDatabase.h"
#include "access/AccessSession.h"
#include "access/DatabaseFile.h"
#include "dataaccess/Provider.h"

namespace velmora::access {
namespace {

class AccessProvider final : public db::Provider {
  public:
    std::unique_ptr<db::Session> connect(const db::ConnectionString& settings) override {
        const DatabaseSettings database = databaseSettingsFrom(settings);
        return std::make_unique<AccessSession>(
            AccessDatabase::open(database.path, database.password, database.jet3CodePage));
    }
};

}  // namespace
}  // namespace velmora::access

extern "C" __attribute__((visibility("default"))) int velmora_provider_abi() {
    return velmora::db::kProviderAbiVersion;
}
extern "C" __attribute__((visibility("default"))) velmora::db::Provider* velmora_provider_create() {
    return new velmora::access::AccessProvider();
}
