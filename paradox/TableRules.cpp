#include "paradox/TableRules.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "common/text/CodePage.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/FieldCodec.h"
#include "paradox/HeaderWriter.h"
#include "paradox/TableReader.h"
#include "paradox/ValueEncoder.h"

namespace velmora::paradox {

namespace {

std::vector<std::uint8_t> encodedValue(const sql::Literal& literal, int index,
                                       const TableInfo& info) {
    const FieldInfo& field = info.fields[static_cast<std::size_t>(index)];
    if (isBlob(field.type) || field.type == FieldType::AutoIncrement)
        fail("The column " + inQuotes(field.name) + " of type " + typeLabel(field) +
             " cannot have a default, minimum or maximum.");
    std::vector<std::uint8_t> record(static_cast<std::size_t>(info.recordSize), 0);
    EncodeContext context;
    context.codePage = &text::CodePage::forNumber(info.codePage);
    std::vector<PendingBlob> blobs;
    context.blobs = &blobs;
    encodeLiteral(literal, index, field, record.data(), context);
    const auto* p = record.data() + field.offset;
    return {p, p + field.length};
}

int fieldNumber(const TableInfo& info, const std::string& name, const std::string& table) {
    for (std::size_t i = 0; i < info.fields.size(); ++i)
        if (sameNameIgnoringCase(info.fields[i].name, name)) return static_cast<int>(i) + 1;
    fail("The table " + inQuotes(table) + " has no column " + inQuotes(name) + ".");
}

std::string keyOf(const std::uint8_t* record, const TableInfo& info,
                  const std::vector<int>& fields) {
    std::string key;
    for (int f : fields) {
        const FieldInfo& field = info.fields[static_cast<std::size_t>(f - 1)];
        key.append(reinterpret_cast<const char*>(record + field.offset),
                   static_cast<std::size_t>(field.length));
    }
    return key;
}

std::string fileName(const TableFiles& files) {
    return files.db.filename().string();
}

ValidityFile currentOrEmpty(const TableFiles& files, const TableInfo& info) {
    if (auto existing = readValidityFile(files)) return *existing;
    return emptyValidityFile(info, files.name);
}

}  // namespace

ValidityFile emptyValidityFile(const TableInfo& info, const std::string& name) {
    ValidityFile file;
    // The header bytes the file repeats from the table's: the second change count (always
    // 1 in ours), the update time (0 in ours) and the next field id.
    file.changeCount = 1;
    file.highFieldId = static_cast<std::uint16_t>(info.fields.size() + 1);
    file.tableName = toCodePage(name + ".db", info.codePage);
    file.keyFieldCount = info.keyFields;
    for (const FieldInfo& field : info.fields)
        file.fields.push_back({static_cast<std::uint8_t>(field.type), field.sizeByte,
                               toCodePage(field.name, info.codePage)});
    return file;
}

std::optional<ValidityFile> checksOfNewTable(const sql::Statement& statement, const TableInfo& info,
                                             const std::string& name) {
    ValidityFile file = emptyValidityFile(info, name);
    for (std::size_t i = 0; i < statement.definitions.size(); ++i) {
        const sql::ColumnDefinition& d = statement.definitions[i];
        if (!d.notNull && !d.hasDefault && !d.hasMinimum && !d.hasMaximum) continue;
        FieldCheck check;
        check.field = static_cast<int>(i);
        check.required = d.notNull;
        const int index = static_cast<int>(i);
        if (d.hasMinimum) check.minimum = encodedValue(d.minimum, index, info);
        if (d.hasMaximum) check.maximum = encodedValue(d.maximum, index, info);
        if (d.hasDefault) check.defaultValue = encodedValue(d.defaultValue, index, info);
        file.checks.push_back(std::move(check));
    }
    if (file.checks.empty()) return std::nullopt;
    return file;
}

std::optional<ValidityFile> readValidityFile(const TableFiles& files) {
    if (files.val.empty()) return std::nullopt;
    std::ifstream in(files.val, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    if (!in.eof() && in.fail())
        fail("The validity file " + inQuotes(files.val.filename().string()) + " cannot be read.");
    return decodeValidityFile(bytes.data(), bytes.size(), files.val.filename().string());
}

void writeValidityFile(const std::filesystem::path& folder, const std::string& name,
                       const ValidityFile& file, mode_t mode) {
    const TableFiles files = locateTable(folder, name);
    const std::filesystem::path path =
        !files.val.empty() ? files.val : folder / (files.db.stem().string() + ".val");
    const std::filesystem::path temporary = std::filesystem::path(path).concat(kUnfinishedSuffix);
    ::unlink(temporary.c_str());
    writeNewFile(temporary, encodeValidityFile(file), name, mode);
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        failSystem("Writing the validity checks of table " + inQuotes(name), error);
    }
}

void applyDefaults(const ValidityFile& rules, const TableInfo& info, const std::vector<bool>& given,
                   std::uint8_t* record) {
    for (const FieldCheck& check : rules.checks) {
        const auto f = static_cast<std::size_t>(check.field);
        if (!check.defaultValue || f >= info.fields.size() || given[f]) continue;
        const FieldInfo& field = info.fields[f];
        std::memcpy(record + field.offset, check.defaultValue->data(),
                    std::min<std::size_t>(check.defaultValue->size(),
                                          static_cast<std::size_t>(field.length)));
    }
}

void checkFieldRules(const ValidityFile& rules, const TableInfo& info, const std::string& table,
                     const std::uint8_t* record) {
    for (const FieldCheck& check : rules.checks) {
        const auto f = static_cast<std::size_t>(check.field);
        if (f >= info.fields.size()) continue;
        const FieldInfo& field = info.fields[f];
        const std::uint8_t* p = record + field.offset;
        const auto length = static_cast<std::size_t>(field.length);
        const std::string where = " of table " + inQuotes(table);
        if (isBlank(p, field.length)) {
            if (check.required)
                fail("The row breaks the rule \"required\" of column " + inQuotes(field.name) +
                     where + ": the value is missing.");
            continue;
        }
        // Field bytes compare in value order.
        if (check.minimum && std::memcmp(p, check.minimum->data(), length) < 0)
            fail("The row breaks the rule \"minimum\" of column " + inQuotes(field.name) + where +
                 ": the value is below the smallest allowed.");
        if (check.maximum && std::memcmp(p, check.maximum->data(), length) > 0)
            fail("The row breaks the rule \"maximum\" of column " + inQuotes(field.name) + where +
                 ": the value is above the largest allowed.");
    }
}

const ParentKeys::Keys& ParentKeys::keysOf(const TableFiles& parent) {
    // The header's record and change counts change with every statement that changes the
    // table (its writes go through a mapping, so the file's time may lag); its size, time
    // and identity with other writers' changes.
    std::string signature(0x30, '\0');
    struct stat st {};
    {
        std::ifstream in(parent.db, std::ios::binary);
        in.read(signature.data(), static_cast<std::streamsize>(signature.size()));
        if (!in || ::stat(parent.db.c_str(), &st) != 0)
            fail("The table " + inQuotes(parent.name) + " cannot be read.");
    }
    signature += std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + ":" +
                 std::to_string(st.st_mtim.tv_nsec) + ":" + std::to_string(st.st_ino);
    Keys& keys = cache_[parent.db.string()];
    if (keys.signature == signature) return keys;
    keys.keys.clear();
    TableReader reader(parent);
    const TableInfo& info = reader.info();
    const auto keyLength = static_cast<std::size_t>(info.keyLength());
    for (std::size_t b = 0; b < reader.chain().size(); ++b) {
        const std::uint8_t* records = reader.readBlock(b);
        for (int r = 0; r < reader.chain()[b].records; ++r)
            keys.keys.emplace(reinterpret_cast<const char*>(records + r * info.recordSize),
                              keyLength);
    }
    keys.signature = signature;
    return keys;
}

void ParentKeys::checkReferences(const std::filesystem::path& folder, const ValidityFile& rules,
                                 const TableInfo& info, const std::string& table,
                                 const std::uint8_t* record) {
    for (const ParentReference& reference : rules.parents) {
        // A row without a value in every field of the reference refers to nothing.
        bool blank = false;
        for (int f : reference.fields) {
            if (f < 1 || f > static_cast<int>(info.fields.size()))
                fail("The validity file of table " + inQuotes(table) +
                     " names a field the table lacks.");
            const FieldInfo& field = info.fields[static_cast<std::size_t>(f - 1)];
            blank = blank || isBlank(record + field.offset, field.length);
        }
        if (blank) continue;
        std::string parentName = reference.parentTable;
        if (parentName.size() > 3 &&
            sameNameIgnoringCase(parentName.substr(parentName.size() - 3), ".db"))
            parentName.resize(parentName.size() - 3);
        const TableFiles parent = locateTable(folder, parentName);
        const std::string key = keyOf(record, info, reference.fields);
        if (parent.db.empty() || !keysOf(parent).keys.count(key))
            fail("The row breaks the referential integrity rule " + inQuotes(reference.name) +
                 " of table " + inQuotes(table) + ": table " + inQuotes(parentName) +
                 " has no row with its key.");
    }
}

void addForeignKey(const std::filesystem::path& folder, const sql::Statement& statement,
                   mode_t mode) {
    const std::string childName = checkedTableName(statement.table.text());
    const std::string parentName = checkedTableName(statement.parent.text());
    const TableFiles child = locateTable(folder, childName);
    const TableFiles parent = locateTable(folder, parentName);
    for (const auto* files : {&child, &parent})
        if (files->db.empty()) fail("The table " + inQuotes(files->name) + " does not exist.");
    const TableInfo childInfo = TableReader::infoOf(child);
    const TableInfo parentInfo = TableReader::infoOf(parent);
    const std::string ruleName =
        statement.index.raw.empty() ? childName + "_" + parentName : statement.index.text();

    ParentReference reference;
    reference.name = toCodePage(ruleName, childInfo.codePage);
    reference.parentTable = toCodePage(fileName(parent), childInfo.codePage);
    reference.cascade = statement.cascadeUpdates;
    const std::size_t n = statement.columns.size();
    if (n > static_cast<std::size_t>(kMaxReferenceFields))
        fail("A foreign key has at most 16 columns.");
    if (static_cast<int>(n) != parentInfo.keyFields)
        fail("The table " + inQuotes(parentName) + " is not keyed on the referenced columns.");
    for (std::size_t i = 0; i < n; ++i) {
        const int c = fieldNumber(childInfo, statement.columns[i].text(), childName);
        const int p = fieldNumber(parentInfo, statement.parentColumns[i].text(), parentName);
        if (p != static_cast<int>(i) + 1)
            fail("The table " + inQuotes(parentName) + " is not keyed on the referenced columns.");
        const FieldInfo& cf = childInfo.fields[static_cast<std::size_t>(c - 1)];
        const FieldInfo& pf = parentInfo.fields[static_cast<std::size_t>(p - 1)];
        const bool counterType = pf.type == FieldType::AutoIncrement && cf.type == FieldType::Long;
        if ((cf.type != pf.type && !counterType) || cf.length != pf.length)
            fail("The column " + inQuotes(cf.name) + " of table " + inQuotes(childName) +
                 " does not have the type of " + inQuotes(pf.name) + " of table " +
                 inQuotes(parentName) + ".");
        reference.fields.push_back(c);
        reference.parentFields.push_back(p);
    }
    reference.fieldName =
        n == 1
            ? toCodePage(childInfo.fields[static_cast<std::size_t>(reference.fields[0] - 1)].name,
                         childInfo.codePage)
            : reference.name;

    ValidityFile childRules = currentOrEmpty(child, childInfo);
    for (const ParentReference& existing : childRules.parents)
        if (existing.name == reference.name)
            fail("The table " + inQuotes(childName) + " already has the rule " +
                 inQuotes(ruleName) + ".");
    childRules.parents.push_back(reference);

    ValidityFile parentRules = sameNameIgnoringCase(childName, parentName)
                                   ? childRules
                                   : currentOrEmpty(parent, parentInfo);
    parentRules.keyFields = reference.parentFields;
    parentRules.children.push_back(
        {toCodePage(ruleName, parentInfo.codePage),
         toCodePage(fileName(child), parentInfo.codePage), reference.cascade, reference.fields,
         toCodePage(n == 1
                        ? childInfo.fields[static_cast<std::size_t>(reference.fields[0] - 1)].name
                        : ruleName,
                    parentInfo.codePage)});
    if (sameNameIgnoringCase(childName, parentName)) {
        writeValidityFile(folder, childName, parentRules, mode);
        return;
    }
    writeValidityFile(folder, childName, childRules, mode);
    writeValidityFile(folder, parentName, parentRules, mode);
}

void forgetReferences(const std::filesystem::path& folder, const TableFiles& dropped, mode_t mode) {
    // A damaged .VAL names no reference that could be taken off; it goes with its table.
    auto readable = [](const TableFiles& files) -> std::optional<ValidityFile> {
        try {
            return readValidityFile(files);
        } catch (const std::exception&) {
            return std::nullopt;
        }
    };
    const auto rules = readable(dropped);
    if (!rules) return;
    const std::string droppedFile = dropped.db.filename().string();
    auto update = [&](const std::string& tableFile, auto&& change) {
        std::string name = tableFile;
        if (name.size() > 3 && sameNameIgnoringCase(name.substr(name.size() - 3), ".db"))
            name.resize(name.size() - 3);
        if (sameNameIgnoringCase(name, dropped.name)) return;
        const TableFiles other = locateTable(folder, name);
        auto otherRules = readable(other);
        if (!otherRules) return;
        change(*otherRules);
        writeValidityFile(folder, name, *otherRules, mode);
    };
    for (const ParentReference& parent : rules->parents)
        update(parent.parentTable, [&](ValidityFile& v) {
            std::erase_if(v.children, [&](const ChildReference& c) {
                return sameNameIgnoringCase(c.childTable, droppedFile);
            });
        });
    for (const ChildReference& child : rules->children)
        update(child.childTable, [&](ValidityFile& v) {
            std::erase_if(v.parents, [&](const ParentReference& p) {
                return sameNameIgnoringCase(p.parentTable, droppedFile);
            });
        });
}

}  // namespace velmora::paradox
