#include "dataaccess/Connection.h"

#include "dataaccess/ProviderDirectory.h"
#include "dataaccess/Recordset.h"

namespace velmora::db {

namespace {
constexpr const char* kClosedText = "Operation is not allowed when the object is closed.";
constexpr const char* kOpenText = "Operation is not allowed when the object is open.";
}  // namespace

Connection::~Connection() = default;

void Connection::open(const std::string& connectionString) {
    if (session_) throw DbError(errc::kObjectOpen, kOpenText);
    const auto settings = ConnectionString::parse(connectionString);
    auto provider = providerFor(settings);
    session_ = provider->connect(settings);
    provider_ = std::move(provider);
}

Session& Connection::session() {
    if (!session_) throw DbError(errc::kObjectClosed, kClosedText);
    return *session_;
}

void Connection::execute(std::string_view statement) {
    session().execute(statement);
}

void Connection::beginBatch() noexcept {
    if (session_) session_->beginBatch();
}

void Connection::endBatch() noexcept {
    if (session_) session_->endBatch();
}

std::unique_ptr<Recordset> Connection::openSchema(int kind, std::string_view table) {
    auto rows = std::make_unique<Recordset>();
    rows->open(session().schema(kind, table));
    return rows;
}

SourceDamage Connection::damage() {
    return session().damage();
}

void Connection::beginTrans() {
    session().beginTrans();
}

void Connection::commitTrans() {
    session().commitTrans();
}

void Connection::rollbackTrans() {
    session().rollbackTrans();
}

void Connection::close() {
    if (!session_) throw DbError(errc::kObjectClosed, kClosedText);
    session_.reset();
    provider_.reset();
}

}  // namespace velmora::db
