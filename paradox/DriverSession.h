#pragma once
// One connection to a Paradox folder: runs statements, keeping the tables it writes open
// (and locked) between statements, so that a long run of INSERT statements costs no
// more than parsing, encoding and storing each row.

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "dataaccess/Provider.h"
#include "paradox/DropTable.h"
#include "paradox/FolderWatch.h"
#include "paradox/KeyedLookup.h"
#include "paradox/RepeatedInsert.h"
#include "paradox/SqlStatement.h"
#include "paradox/StagedTables.h"
#include "paradox/TableRules.h"
#include "paradox/ValueEncoder.h"
#include "paradox/WritableTable.h"

namespace velmora::paradox {

class DriverSession final : public db::Session {
  public:
    // `fileMode`: the permissions of the table files this session creates (before the umask).
    explicit DriverSession(std::filesystem::path folder, mode_t fileMode);
    ~DriverSession() override;

    void execute(std::string_view statement) override;
    std::unique_ptr<db::RowCursor> query(std::string_view statement) override;
    std::unique_ptr<db::RowCursor> schema(int kind, std::string_view table) override;
    // Inside a batch the folder is looked at once, at its start.
    void beginBatch() noexcept override;
    void endBatch() noexcept override { inBatch_ = false; }
    // In a transaction, DROP TABLE only holds the table's files, and CREATE TABLE writes
    // the new table in the staging folder, where its rows and index go too; COMMIT puts
    // each new table in its old one's place (paradox/StagedTables.h), ROLLBACK removes
    // the new tables and leaves the old ones as they were.
    void beginTrans() override;
    void commitTrans() override;
    void rollbackTrans() override;

  private:
    // A table dropped or created in the open transaction.
    struct Replacement {
        std::string name;  // as the last CREATE TABLE (or DROP TABLE) spelled it
        HeldTable old;     // empty when the folder held no such table
        bool created = false;
    };
    Replacement* replacement(const std::string& name);
    // Whether `name` is a table created in the open transaction (written in staging).
    bool staged(const std::string& name) const;

    std::unique_ptr<db::RowCursor> run(std::string_view text);
    std::unique_ptr<db::RowCursor> runParsed(std::string_view text);
    void insert(std::string_view text);
    void createTable(std::string_view text);
    void createIndex();
    void createSecondaryIndex();
    void dropTable();
    void addForeignKey();
    void deleteAll();
    std::unique_ptr<db::RowCursor> select();
    std::unique_ptr<db::RowCursor> lookUp(const TableFiles& files);
    std::unique_ptr<db::RowCursor> checkIndex();
    std::unique_ptr<db::RowCursor> indexRows(std::string_view table);

    std::string tableName() const;
    TableFiles existingTable(const std::string& name);
    WritableTable& writableTable();
    void forget(const std::string& name);
    void keepOpen(std::unique_ptr<WritableTable> table);

    bool stillValid(WritableTable& table, std::uint64_t generation) const;
    std::uint64_t folderGeneration();

    std::filesystem::path folder_;
    mode_t fileMode_;
    FolderWatch watch_;
    bool inBatch_ = false;
    std::uint64_t batchGeneration_ = 0;
    StagingFolder staging_;
    bool inTransaction_ = false;
    std::map<std::string, Replacement> pending_;  // by lower-case name
    sql::Statement statement_;
    sql::RepeatedInsert repeatedInsert_;

    // Open tables, most recently used last; a few are kept so file handles stay bounded.
    std::vector<std::unique_ptr<WritableTable>> open_;
    std::string lastRaw_;  // the name as the last INSERT wrote it, for a quick match
    char lastQuote_ = 0;

    std::vector<std::uint8_t> record_;
    std::vector<int> fieldOfValue_;
    std::vector<int> valueOfField_;
    std::vector<PendingBlob> blobs_;
    EncodeContext encode_;
    std::vector<bool> given_;
    ParentKeys parentKeys_;

    // The table SELECT ... WHERE last looked rows up in, mapped read-only.
    std::unique_ptr<KeyedLookup> lookup_;
    std::string lookupName_;
    std::uint64_t lookupGeneration_ = 0;
    int lookupBlobs_ = -1;  // its .mb, -1 when it has none
    std::vector<std::uint8_t> key_;
};

}  // namespace velmora::paradox
