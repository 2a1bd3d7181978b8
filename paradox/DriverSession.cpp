#include "paradox/DriverSession.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "dataaccess/AdoTypes.h"
#include "dataaccess/DbError.h"
#include "dataaccess/FixedRowsCursor.h"
#include "paradox/CreateIndex.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/DropTable.h"
#include "paradox/HeaderLayout.h"
#include "paradox/IndexVerification.h"
#include "paradox/SecondaryIndex.h"
#include "paradox/SqlParser.h"
#include "paradox/TableCursor.h"
#include "paradox/TableFiles.h"
#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

namespace {
constexpr std::size_t kOpenTables = 8;

std::string lowerCase(std::string name) {
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return name;
}
}  // namespace

DriverSession::DriverSession(std::filesystem::path folder, mode_t fileMode)
    : folder_(std::move(folder)), fileMode_(fileMode), watch_(folder_), staging_(folder_) {
    recoverStagingFolders(folder_);
    removeAbandonedNewFiles(folder_);
}

// A session that ends inside a transaction leaves every table as it was.
DriverSession::~DriverSession() {
    if (lookupBlobs_ >= 0) ::close(lookupBlobs_);
    if (!inTransaction_) return;
    try {
        rollbackTrans();
    } catch (...) {
    }
}

DriverSession::Replacement* DriverSession::replacement(const std::string& name) {
    if (!inTransaction_) return nullptr;
    const auto found = pending_.find(lowerCase(name));
    return found == pending_.end() ? nullptr : &found->second;
}

bool DriverSession::staged(const std::string& name) const {
    if (!inTransaction_) return false;
    const auto found = pending_.find(lowerCase(name));
    return found != pending_.end() && found->second.created;
}

void DriverSession::beginTrans() {
    if (inTransaction_) fail("A transaction is already open.");
    inTransaction_ = true;
}

void DriverSession::commitTrans() {
    if (!inTransaction_) fail("No transaction is open.");
    open_.clear();  // the staged files change their names
    lastRaw_.clear();
    lookup_.reset();
    std::map<std::string, Replacement> pending = std::move(pending_);
    pending_.clear();
    inTransaction_ = false;
    for (auto& [key, table] : pending) {
        if (table.created)
            staging_.publish(table.name);
        else
            table.old.remove();
    }
    staging_.close();
}

void DriverSession::rollbackTrans() {
    if (!inTransaction_) fail("No transaction is open.");
    for (auto& [key, table] : pending_) {
        forget(table.name);
        if (table.created) staging_.discard(table.name);
    }
    pending_.clear();
    inTransaction_ = false;
    staging_.close();
}

void DriverSession::execute(std::string_view text) {
    run(text);
}

std::unique_ptr<db::RowCursor> DriverSession::query(std::string_view text) {
    auto rows = run(text);
    if (!rows)
        rows = std::make_unique<db::FixedRowsCursor>(std::vector<db::ColumnInfo>{},
                                                     std::vector<std::vector<db::Value>>{});
    return rows;
}

std::unique_ptr<db::RowCursor> DriverSession::run(std::string_view text) {
    try {
        return runParsed(text);
    } catch (const db::DbError& e) {
        // Whatever failed, a folder that is gone is the cause, and every later statement
        // will meet it too.
        struct stat st {};
        if (e.number() != db::errc::kTargetGone && ::stat(folder_.c_str(), &st) != 0)
            fail(db::errc::kTargetGone,
                 "The folder " + inQuotes(folder_.string()) + " no longer exists.");
        throw;
    }
}

std::unique_ptr<db::RowCursor> DriverSession::runParsed(std::string_view text) {
    if (!repeatedInsert_.parse(text, statement_)) {
        sql::parseStatement(text, statement_);
        repeatedInsert_.remember(text, statement_);
    }
    switch (statement_.kind) {
        case sql::StatementKind::Insert:
            insert(text);
            return nullptr;
        case sql::StatementKind::CreateTable:
            createTable(text);
            return nullptr;
        case sql::StatementKind::CreateIndex:
            createIndex();
            return nullptr;
        case sql::StatementKind::DropTable:
            dropTable();
            return nullptr;
        case sql::StatementKind::AddForeignKey:
            addForeignKey();
            return nullptr;
        case sql::StatementKind::DeleteAll:
            deleteAll();
            return nullptr;
        case sql::StatementKind::SelectAll:
        case sql::StatementKind::SelectCount:
            return select();
        case sql::StatementKind::CheckIndex:
            return checkIndex();
    }
    return nullptr;
}

std::string DriverSession::tableName() const {
    return checkedTableName(statement_.table.text());
}

TableFiles DriverSession::existingTable(const std::string& name) {
    if (inTransaction_) {
        const auto found = pending_.find(lowerCase(name));
        if (found != pending_.end()) {
            TableFiles files;
            if (found->second.created) files = locateTable(staging_.path(), name);
            if (files.db.empty()) fail("The table " + inQuotes(name) + " does not exist.");
            return files;
        }
    }
    TableFiles files = locateTable(folder_, name);
    if (files.db.empty()) fail("The table " + inQuotes(name) + " does not exist.");
    return files;
}

void DriverSession::forget(const std::string& name) {
    open_.erase(std::remove_if(
                    open_.begin(), open_.end(),
                    [&](const auto& table) { return sameNameIgnoringCase(table->name(), name); }),
                open_.end());
    lastRaw_.clear();
    if (lookup_ && sameNameIgnoringCase(lookupName_, name)) lookup_.reset();
}

void DriverSession::beginBatch() noexcept {
    batchGeneration_ = watch_.generation();
    inBatch_ = true;
}

std::uint64_t DriverSession::folderGeneration() {
    return inBatch_ ? batchGeneration_ : watch_.generation();
}

bool DriverSession::stillValid(WritableTable& table, std::uint64_t generation) const {
    if (table.checkedGeneration == generation) return true;
    // A table staged in this transaction lies in the session's own locked, owner-only
    // folder, where no other program writes: only the folder's own tables are looked at.
    if (!staged(table.name()) && !table.unchangedOnDisk()) return false;
    table.checkedGeneration = generation;
    return true;
}

WritableTable& DriverSession::writableTable() {
    const sql::Name& name = statement_.table;
    const std::uint64_t generation = folderGeneration();
    bool changed = false;  // an open table was changed (or removed) by someone else
    if (!open_.empty() && name.closingQuote == lastQuote_ && name.raw == lastRaw_) {
        WritableTable& table = *open_.back();
        if (stillValid(table, generation)) return table;
        open_.pop_back();  // changed by someone else: open it afresh
        changed = true;
    }
    const std::string wanted = tableName();
    auto found = std::find_if(open_.begin(), open_.end(), [&](const auto& table) {
        return sameNameIgnoringCase(table->name(), wanted);
    });
    if (found != open_.end()) {
        std::unique_ptr<WritableTable> table = std::move(*found);
        open_.erase(found);
        if (stillValid(*table, generation))
            open_.push_back(std::move(table));
        else
            changed = true;
    }
    if (open_.empty() || !sameNameIgnoringCase(open_.back()->name(), wanted)) {
        lastRaw_.clear();
        if (changed && locateTable(folder_, wanted).db.empty() && !replacement(wanted))
            fail(db::errc::kTableGone,
                 "The table " + inQuotes(wanted) + " was removed while it was being written.");
        const TableFiles files = existingTable(wanted);
        auto table = std::make_unique<WritableTable>(files);
        table->rules = readValidityFile(files);
        table->checkedGeneration = generation;
        if (open_.size() >= kOpenTables) open_.erase(open_.begin());
        open_.push_back(std::move(table));
    }
    lastRaw_.assign(name.raw);
    lastQuote_ = name.closingQuote;
    return *open_.back();
}

void DriverSession::insert(std::string_view text) {
    WritableTable& table = writableTable();
    const TableInfo& info = table.info();
    const auto& values = statement_.values;
    const auto fieldCount = info.fields.size();
    fieldOfValue_.resize(values.size());
    if (statement_.columns.empty()) {
        if (values.size() != fieldCount)
            fail("The statement gives " + std::to_string(values.size()) + " values, but table " +
                 inQuotes(table.name()) + " has " + std::to_string(fieldCount) + " columns.");
        for (std::size_t i = 0; i < values.size(); ++i) fieldOfValue_[i] = static_cast<int>(i);
    } else {
        if (values.size() != statement_.columns.size())
            fail("The statement names " + std::to_string(statement_.columns.size()) +
                 " columns but gives " + std::to_string(values.size()) + " values.");
        valueOfField_.assign(fieldCount, -1);
        for (std::size_t i = 0; i < values.size(); ++i) {
            const std::string column = statement_.columns[i].text();
            auto found = std::find_if(
                info.fields.begin(), info.fields.end(),
                [&](const FieldInfo& f) { return sameNameIgnoringCase(f.name, column); });
            if (found == info.fields.end())
                failSyntax(text, statement_.columns[i].offset,
                           "the table " + inQuotes(table.name()) + " has no column " +
                               inQuotes(column) + ".");
            const auto field = static_cast<std::size_t>(found - info.fields.begin());
            if (valueOfField_[field] >= 0)
                fail("The column " + inQuotes(found->name) + " is named twice.");
            valueOfField_[field] = static_cast<int>(i);
            fieldOfValue_[i] = static_cast<int>(field);
        }
    }
    record_.assign(static_cast<std::size_t>(info.recordSize), 0);
    blobs_.clear();
    if (encode_.codePage == nullptr || encode_.codePage->number() != info.codePage)
        encode_.codePage = &text::CodePage::forNumber(info.codePage);
    encode_.nextAutoIncrement = table.nextAutoIncrement();
    encode_.autoIncrement = 0;
    encode_.blobs = &blobs_;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int field = fieldOfValue_[i];
        encodeLiteral(values[i], field, info.fields[static_cast<std::size_t>(field)],
                      record_.data(), encode_);
    }
    if (!statement_.columns.empty())
        for (std::size_t f = 0; f < fieldCount; ++f)
            if (valueOfField_[f] < 0) encodeOmitted(info.fields[f], record_.data(), encode_);
    if (table.rules) {
        given_.assign(fieldCount, true);
        if (!statement_.columns.empty())
            for (std::size_t f = 0; f < fieldCount; ++f) given_[f] = valueOfField_[f] >= 0;
        applyDefaults(*table.rules, info, given_, record_.data());
        checkFieldRules(*table.rules, info, table.name(), record_.data());
        parentKeys_.checkReferences(folder_, *table.rules, info, table.name(), record_.data());
    }
    table.insert(record_.data(), blobs_, encode_.autoIncrement);
}

// A table this session creates stays locked from its creation to its last statement: a
// second writer cannot drop it or add rows in between.
void DriverSession::keepOpen(std::unique_ptr<WritableTable> table) {
    table->checkedGeneration = watch_.generation();
    table->rules = readValidityFile(existingTable(table->name()));
    if (open_.size() >= kOpenTables) open_.erase(open_.begin());
    open_.push_back(std::move(table));
    lastRaw_.clear();
}

void DriverSession::createTable(std::string_view text) {
    const std::string name = tableName();
    checkNewTableName(name, statement_.codePage != 0 ? statement_.codePage : 1252);
    const TableInfo info = defineTable(statement_, text);
    const std::optional<ValidityFile> checks = checksOfNewTable(statement_, info, name);
    forget(name);
    // The table's checks go beside its files; without them the table goes too.
    const auto writeChecks = [&](const std::filesystem::path& where, auto&& undo) {
        if (!checks) return;
        try {
            writeValidityFile(where, name, *checks, fileMode_);
        } catch (...) {
            undo();
            throw;
        }
    };
    if (!inTransaction_) {
        createTableFiles(folder_, name, info, fileMode_);
        writeChecks(folder_, [&] { paradox::dropTable(folder_, name); });
        keepOpen(std::make_unique<WritableTable>(existingTable(name)));
        return;
    }
    Replacement* table = replacement(name);
    if (table == nullptr) {
        if (!locateTable(folder_, name).db.empty())
            fail("The table " + inQuotes(name) + " already exists.");
        checkNoLeftovers(folder_, name);
        // What stands under the table's name (a folder, a link) would stop the commit.
        struct stat st {};
        if (::lstat((folder_ / (name + ".db")).c_str(), &st) == 0)
            fail("The file " + inQuotes(name + ".db") + " is in the way of table " +
                 inQuotes(name) + ".");
    } else if (table->created) {
        fail("The table " + inQuotes(name) + " already exists.");
    }
    checkFolderWritable(folder_);
    createTableFiles(staging_.path(), name, info, fileMode_);
    writeChecks(staging_.path(), [&] { staging_.discard(name); });
    if (table == nullptr) table = &pending_[lowerCase(name)];
    table->name = name;
    table->created = true;
    keepOpen(std::make_unique<WritableTable>(existingTable(name)));
}

void DriverSession::createIndex() {
    if (!statement_.primary) return createSecondaryIndex();
    const std::string name = tableName();
    writableTable();  // holds the lock while the rows are copied into the keyed files
    const TableFiles files = existingTable(name);
    std::vector<std::string> columns;
    for (const auto& column : statement_.columns) columns.push_back(column.text());
    std::unique_ptr<WritableTable> keyed = createPrimaryIndex(folder_, files, columns);
    if (auto rules = readValidityFile(files)) {
        rules->keyFieldCount = keyed->info().keyFields;
        writeValidityFile(files.db.parent_path(), name, *rules, fileMode_);
    }
    forget(name);
    keepOpen(std::move(keyed));
}

void DriverSession::createSecondaryIndex() {
    const std::string name = tableName();
    const TableInfo info = writableTable().info();  // locked while the index is written
    if (!info.keyed())
        fail("The table " + inQuotes(name) +
             " has no primary index; a secondary index needs one (CREATE INDEX ... WITH "
             "PRIMARY first).");
    SecondaryIndexDefinition definition;
    definition.name = statement_.index.text();
    definition.unique = statement_.unique;
    definition.descending = statement_.descending;
    definition.caseInsensitive = statement_.caseInsensitive;
    checkIndexName(definition.name, info.codePage);
    for (const auto& column : statement_.columns) {
        const std::string wanted = column.text();
        const auto found =
            std::find_if(info.fields.begin(), info.fields.end(),
                         [&](const FieldInfo& f) { return sameNameIgnoringCase(f.name, wanted); });
        if (found == info.fields.end())
            fail("The table " + inQuotes(name) + " has no column " + inQuotes(wanted) + ".");
        const int position = static_cast<int>(found - info.fields.begin());
        if (isBlob(found->type) || found->type == FieldType::Bytes)
            fail("The column " + inQuotes(found->name) + " (" + typeLabel(*found) +
                 ") cannot be part of an index.");
        if (std::find(definition.fields.begin(), definition.fields.end(), position) !=
            definition.fields.end())
            fail("The index names column " + inQuotes(found->name) + " twice.");
        definition.fields.push_back(position);
    }
    if (definition.fields.size() > static_cast<std::size_t>(kMaxIndexFields))
        fail("A Paradox index holds at most 16 fields; " + inQuotes(definition.name) + " names " +
             std::to_string(definition.fields.size()) + ".");
    if (definition.descending && info.version < hdr::kVersionLevel7)
        fail("A descending index needs a level 7 table; " + inQuotes(name) +
             " is an older level (CREATE TABLE ... LEVEL 7 makes one).");
    const TableInfo data = secondaryDataInfo(info, definition);
    if (data.fileType == hdr::kFileTypeCompositeDataMaintained && definition.fields.size() == 1 &&
        sameNameIgnoringCase(definition.name,
                             info.fields[static_cast<std::size_t>(definition.fields[0])].name))
        fail(
            "Only a case-sensitive, ascending single-field index can take the name of its "
            "field; give the index " +
            inQuotes(definition.name) + " another name.");
    const TableFiles files = existingTable(name);
    const SecondaryFiles target = newSecondaryFiles(files, info, data);
    struct stat st {};
    const mode_t mode = ::stat(files.db.c_str(), &st) == 0 ? (st.st_mode & 0777) : fileMode_;
    writeSecondaryIndex(files, data, target, definition.unique, mode);
    // Opened afresh, the table keeps the new index current from its next row on.
    forget(name);
    keepOpen(std::make_unique<WritableTable>(existingTable(name)));
}

void DriverSession::dropTable() {
    const std::string name = tableName();
    forget(name);
    if (!inTransaction_) {
        if (const TableFiles files = locateTable(folder_, name); !files.db.empty())
            forgetReferences(folder_, files, fileMode_);
        paradox::dropTable(folder_, name);
        return;
    }
    if (Replacement* table = replacement(name)) {
        if (!table->created) fail("The table " + inQuotes(name) + " does not exist.");
        staging_.discard(name);
        table->created = false;
        if (table->old.empty()) pending_.erase(lowerCase(name));
        return;
    }
    pending_[lowerCase(name)] = Replacement{name, holdForDrop(folder_, name), false};
}

void DriverSession::addForeignKey() {
    // Both tables' .VAL files change at once, outside what a transaction stages.
    if (inTransaction_)
        fail("ALTER TABLE ... ADD FOREIGN KEY runs outside a transaction: commit first.");
    paradox::addForeignKey(folder_, statement_, fileMode_);
    // The tables this session holds open take up their new rules.
    for (auto& table : open_) table->rules = readValidityFile(locateTable(folder_, table->name()));
}

void DriverSession::deleteAll() {
    writableTable().deleteAll();
}

std::unique_ptr<db::RowCursor> DriverSession::select() {
    const TableFiles files = existingTable(tableName());
    if (statement_.kind == sql::StatementKind::SelectAll && !statement_.columns.empty())
        return lookUp(files);
    if (statement_.kind == sql::StatementKind::SelectAll)
        return std::make_unique<TableCursor>(files);
    const TableReader reader(files);
    std::vector<std::vector<db::Value>> rows{{db::Value(reader.recordCount())}};
    return std::make_unique<db::FixedRowsCursor>(
        std::vector<db::ColumnInfo>{{"COUNT(*)", db::ado::adInteger, 4}}, std::move(rows));
}

// The row whose primary key the WHERE clause gives, found through the .px as Borland's
// engine finds it: no row, or one.
std::unique_ptr<db::RowCursor> DriverSession::lookUp(const TableFiles& files) {
    const std::uint64_t generation = watch_.generation();
    if (!lookup_ || !sameNameIgnoringCase(lookupName_, files.name) ||
        lookupGeneration_ != generation) {
        lookup_.reset();
        if (lookupBlobs_ >= 0) ::close(lookupBlobs_);
        lookupBlobs_ = -1;
        lookup_ = std::make_unique<KeyedLookup>(files.db, files.px, false, files.name);
        lookupName_ = files.name;
        lookupGeneration_ = generation;
        if (!files.mb.empty()) lookupBlobs_ = ::open(files.mb.c_str(), O_RDONLY | O_CLOEXEC);
    }
    const TableInfo& info = lookup_->info();
    if (statement_.columns.size() != static_cast<std::size_t>(info.keyFields))
        fail("A WHERE condition must give every field of the primary key of " +
             inQuotes(files.name) + " (" + std::to_string(info.keyFields) + "), and nothing else.");
    key_.assign(static_cast<std::size_t>(info.recordSize), 0);
    if (encode_.codePage == nullptr || encode_.codePage->number() != info.codePage)
        encode_.codePage = &text::CodePage::forNumber(info.codePage);
    encode_.blobs = &blobs_;
    std::vector<bool> given(static_cast<std::size_t>(info.keyFields));
    for (std::size_t i = 0; i < statement_.columns.size(); ++i) {
        const std::string column = statement_.columns[i].text();
        int field = -1;
        for (int k = 0; k < info.keyFields; ++k)
            if (sameNameIgnoringCase(info.fields[static_cast<std::size_t>(k)].name, column))
                field = k;
        if (field < 0 || given[static_cast<std::size_t>(field)])
            fail("A WHERE condition must give every field of the primary key of " +
                 inQuotes(files.name) + " once; " + inQuotes(column) + " is not one of them.");
        given[static_cast<std::size_t>(field)] = true;
        encodeLiteral(statement_.values[i], field, info.fields[static_cast<std::size_t>(field)],
                      key_.data(), encode_);
    }
    std::vector<db::ColumnInfo> columns;
    for (const FieldInfo& field : info.fields)
        columns.push_back({field.name, adoType(field.type), field.length});
    std::vector<std::vector<db::Value>> rows;
    if (const std::uint8_t* record = lookup_->find(key_.data())) {
        const text::CodePage& codePage = text::CodePage::forNumber(info.codePage);
        auto& row = rows.emplace_back(info.fields.size());
        for (std::size_t i = 0; i < info.fields.size(); ++i)
            decodeField(record, info.fields[i], codePage,
                        isBlob(info.fields[i].type) ? lookupBlobs_ : -1, files.name, row[i]);
    }
    return std::make_unique<db::FixedRowsCursor>(std::move(columns), std::move(rows));
}

std::unique_ptr<db::RowCursor> DriverSession::checkIndex() {
    const IndexCheck check =
        paradox::checkIndex(existingTable(tableName()), statement_.index.text());
    std::vector<std::vector<db::Value>> rows{{db::Value(check.name), db::Value(check.rows),
                                              db::Value(check.found),
                                              db::Value(check.firstMissing)}};
    return std::make_unique<db::FixedRowsCursor>(
        std::vector<db::ColumnInfo>{{"INDEX_NAME", db::ado::adVarWChar, 255},
                                    {"ROWS", db::ado::adBigInt, 8},
                                    {"FOUND", db::ado::adBigInt, 8},
                                    {"FIRST_MISSING", db::ado::adVarWChar, 255}},
        std::move(rows));
}

// The INDEXES rowset, as the Access provider gives it: one row per key column.
std::unique_ptr<db::RowCursor> DriverSession::indexRows(std::string_view table) {
    using namespace db::ado;
    std::vector<std::vector<db::Value>> rows;
    for (const auto& name : tableNames(folder_)) {
        if (!table.empty() && !sameNameIgnoringCase(name, table)) continue;
        for (const IndexDescription& index : describeIndexes(existingTable(name))) {
            int ordinal = 0;
            for (const std::string& column : index.fields)
                rows.push_back(
                    {db::Value(name), db::Value(index.name), db::Value(index.primary),
                     db::Value(index.primary),
                     db::Value(index.primary ? adIndexNullsDisallow : adIndexNullsAllow),
                     db::Value(++ordinal), db::Value(column),
                     db::Value(index.descending ? adCollationDescending : adCollationAscending)});
        }
    }
    return std::make_unique<db::FixedRowsCursor>(
        std::vector<db::ColumnInfo>{{"TABLE_NAME", adVarWChar, 255},
                                    {"INDEX_NAME", adVarWChar, 255},
                                    {"PRIMARY_KEY", adBoolean, 2},
                                    {"UNIQUE", adBoolean, 2},
                                    {"NULLS", adInteger, 4},
                                    {"ORDINAL_POSITION", adInteger, 4},
                                    {"COLUMN_NAME", adVarWChar, 255},
                                    {"COLLATION", adSmallInt, 2}},
        std::move(rows));
}

std::unique_ptr<db::RowCursor> DriverSession::schema(int kind, std::string_view table) {
    if (kind == db::ado::adSchemaIndexes) return indexRows(table);
    if (kind != db::ado::adSchemaTables)
        fail("The Paradox driver lists tables and indexes only (schema " +
             std::to_string(db::ado::adSchemaTables) + " and " +
             std::to_string(db::ado::adSchemaIndexes) + ").");
    std::vector<std::vector<db::Value>> rows;
    for (const auto& name : tableNames(folder_))
        if (table.empty() || sameNameIgnoringCase(name, table))
            rows.push_back({db::Value(std::string("TABLE")), db::Value(name)});
    return std::make_unique<db::FixedRowsCursor>(
        std::vector<db::ColumnInfo>{{"TABLE_TYPE", db::ado::adVarWChar, 255},
                                    {"TABLE_NAME", db::ado::adVarWChar, 255}},
        std::move(rows));
}

}  // namespace velmora::paradox
