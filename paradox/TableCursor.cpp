#include "paradox/TableCursor.h"

#include <climits>

#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

namespace {
long definedSize(const FieldInfo& field) {
    switch (field.type) {
        case FieldType::Alpha:
        case FieldType::Bytes:
            return field.sizeByte;
        case FieldType::Memo:
        case FieldType::FormattedMemo:
        case FieldType::Blob:
        case FieldType::Ole:
        case FieldType::Graphic:
            return INT_MAX;
        default:
            return field.length;
    }
}
}  // namespace

TableCursor::TableCursor(const TableFiles& files)
    : reader_(files), codePage_(text::CodePage::forNumber(reader_.info().codePage)) {
    for (const auto& field : reader_.info().fields)
        columns_.push_back({field.name,
                            adoType(field.type),
                            definedSize(field),
                            field.type == FieldType::Bcd ? field.sizeByte : 0,
                            {}});
}

bool TableCursor::fetch(std::vector<db::Value>& row) {
    const auto& chain = reader_.chain();
    while (block_ < chain.size() && record_ >= chain[block_].records) {
        ++block_;
        record_ = 0;
        records_ = nullptr;
    }
    if (block_ >= chain.size()) return false;
    if (!records_) records_ = reader_.readBlock(block_);
    const TableInfo& info = reader_.info();
    const std::uint8_t* record = records_ + static_cast<std::ptrdiff_t>(record_) * info.recordSize;
    row.resize(info.fields.size());
    for (std::size_t i = 0; i < info.fields.size(); ++i)
        decodeField(record, info.fields[i], codePage_,
                    isBlob(info.fields[i].type) ? reader_.blobFile() : -1, reader_.name(), row[i]);
    ++record_;
    return true;
}

}  // namespace velmora::paradox
