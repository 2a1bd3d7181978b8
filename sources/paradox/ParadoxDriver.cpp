#include "ParadoxDriver.h"

#include "dataaccess/DbError.h"

namespace velmora::paradox {

namespace {
class PendingDriver final : public db::Provider {
public:
    std::unique_ptr<db::Session> connect(const db::ConnectionString&) override {
        throw db::DbError(db::errc::kProviderFailure, "The Paradox driver is not built yet.");
    }
};
}  // namespace

std::unique_ptr<db::Provider> createDriver() { return std::make_unique<PendingDriver>(); }

}  // namespace velmora::paradox
