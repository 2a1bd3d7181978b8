#include "dataaccess/DbError.h"
#include "dataaccess/Provider.h"

namespace velmora::access {
namespace {
class PendingProvider final : public db::Provider {
public:
    std::unique_ptr<db::Session> connect(const db::ConnectionString&) override {
        throw db::DbError(db::errc::kProviderFailure, "The Access provider is not built yet.");
    }
};
}  // namespace
}  // namespace velmora::access

extern "C" __attribute__((visibility("default"))) int velmora_provider_abi() {
    return velmora::db::kProviderAbiVersion;
}
extern "C" __attribute__((visibility("default"))) velmora::db::Provider* velmora_provider_create() {
    return new velmora::access::PendingProvider();
}
