// libFuzzer target for the statement parser and everything a statement's text reaches
// before any file: literal conversion into every field type, column definitions, and the
// table and field name rules. Errors are expected; crashes and sanitizer reports are not.

#include <cstdint>
#include <string_view>
#include <vector>

#include "dataaccess/DbError.h"
#include "paradox/CreateTable.h"
#include "paradox/RepeatedInsert.h"
#include "paradox/SqlParser.h"
#include "paradox/TableFiles.h"
#include "paradox/ValueEncoder.h"

using namespace velmora::paradox;

namespace {

std::vector<FieldInfo> everyFieldType() {
    const std::pair<FieldType, int> types[] = {
        {FieldType::Alpha, 10},  {FieldType::Short, 2},        {FieldType::Long, 4},
        {FieldType::Number, 8},  {FieldType::Currency, 8},     {FieldType::Bcd, 4},
        {FieldType::Date, 4},    {FieldType::Time, 4},         {FieldType::Timestamp, 8},
        {FieldType::Logical, 1}, {FieldType::Memo, 15},        {FieldType::Blob, 10},
        {FieldType::Bytes, 6},   {FieldType::AutoIncrement, 4}};
    std::vector<FieldInfo> fields;
    int offset = 0;
    for (const auto& [type, size] : types) {
        FieldInfo field;
        field.name = "F";
        field.type = type;
        field.sizeByte = static_cast<std::uint8_t>(size);
        field.length = fieldLength(static_cast<std::uint8_t>(type), field.sizeByte);
        field.offset = offset;
        offset += field.length;
        fields.push_back(field);
    }
    return fields;
}

bool sameLiteral(const sql::Literal& a, const sql::Literal& b) {
    return a.kind == b.kind && a.negative == b.negative && a.truth == b.truth &&
           a.raw.data() == b.raw.data() && a.raw.size() == b.raw.size() && a.offset == b.offset;
}

// The quick parse of a repeated INSERT reads a statement exactly as the full parse does,
// or leaves it alone: one that starts as the remembered INSERT is parsed both ways.
void compareQuickParse(std::string_view text) {
    static const std::string first = R"(INSERT INTO "T" VALUES(1))";
    static const sql::RepeatedInsert quick = [] {
        sql::RepeatedInsert remembered;
        sql::Statement parsed;
        sql::parseStatement(first, parsed);
        remembered.remember(first, parsed);
        return remembered;
    }();
    sql::Statement fast;
    if (!quick.parse(text, fast)) return;
    sql::Statement full;
    sql::parseStatement(text, full);  // throws, and the fuzzer reports it, when they differ
    bool same = fast.kind == full.kind && fast.table.raw.data() == full.table.raw.data() &&
                fast.table.raw.size() == full.table.raw.size() &&
                fast.table.offset == full.table.offset && full.columns.empty() &&
                fast.values.size() == full.values.size();
    for (std::size_t i = 0; same && i < full.values.size(); ++i)
        same = sameLiteral(fast.values[i], full.values[i]);
    if (!same) __builtin_trap();
}

template <typename F>
void expectingErrors(F&& step) {
    try {
        step();
    } catch (const velmora::db::DbError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<FieldInfo> fields = everyFieldType();
    static std::vector<std::uint8_t> record(512);
    static std::vector<PendingBlob> blobs;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    compareQuickParse(text);
    sql::Statement statement;
    try {
        sql::parseStatement(text, statement);
    } catch (const velmora::db::DbError&) {
        return 0;
    }
    expectingErrors([&] { checkedTableName(statement.table.text()); });
    expectingErrors([&] { checkNewTableName(statement.table.text()); });
    for (const auto& column : statement.columns)
        expectingErrors([&] { checkFieldName(column.text()); });
    if (statement.kind == sql::StatementKind::CreateTable)
        expectingErrors([&] { defineTable(statement, text); });
    EncodeContext context;
    context.codePage = &velmora::text::CodePage::forNumber(1252);
    context.blobs = &blobs;
    for (const auto& literal : statement.values) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::fill(record.begin(), record.end(), 0);
            blobs.clear();
            expectingErrors([&] {
                encodeLiteral(literal, static_cast<int>(i), fields[i], record.data(), context);
            });
        }
    }
    return 0;
}
