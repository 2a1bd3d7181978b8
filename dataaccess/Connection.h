#pragma once
// ADO-shaped connection: settings before Open, then Execute, OpenSchema, the transaction
// calls and Close.
// The provider is chosen from the connection string when it opens.

#include <memory>
#include <string>
#include <string_view>

#include "dataaccess/DbError.h"
#include "dataaccess/Provider.h"

namespace velmora::db {

class Recordset;

class Connection {
  public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setCursorLocation(int location) { cursorLocation_ = location; }
    int cursorLocation() const { return cursorLocation_; }
    void setMode(int mode) { mode_ = mode; }
    int mode() const { return mode_; }

    void open(const std::string& connectionString);
    void execute(std::string_view statement);
    // Rows with the columns TABLE_TYPE and TABLE_NAME for kind 20 (tables); the index
    // rowset (kind 12, see AdoTypes.h) where the provider has one. `table` restricts the
    // rows to one table.
    std::unique_ptr<Recordset> openSchema(int kind, std::string_view table = {});
    // A batch of statements (Session::beginBatch); nothing to do on a closed connection,
    // whose statements fail by themselves.
    void beginBatch() noexcept;
    void endBatch() noexcept;
    // ADO's transactions, as the provider keeps them (dataaccess/Provider.h).
    void beginTrans();
    void commitTrans();
    void rollbackTrans();
    void close();
    bool isOpen() const { return session_ != nullptr; }
    // What the source could not read of its list of tables.
    SourceDamage damage();

    // For Recordset::open.
    Session& session();

  private:
    int cursorLocation_ = 2;
    int mode_ = 0;
    std::shared_ptr<Provider> provider_;  // keeps a loaded module alive while the session lives
    std::unique_ptr<Session> session_;
};

}  // namespace velmora::db
