#include "paradox/ValidityFile.h"

#include <algorithm>

#include "paradox/ByteOrder.h"
#include "paradox/DriverError.h"
#include "paradox/FieldType.h"

namespace velmora::paradox {

namespace {

constexpr std::size_t kChecksAt = 0x35;
constexpr std::size_t kCheckHead = 0x1C;
constexpr std::size_t kLookupLength = 0x50;
constexpr std::size_t kLookupNameLength = 0x1A;
constexpr std::size_t kParentRecord = 0x1E0;
constexpr std::size_t kChildrenHead = 0xBA;
constexpr std::size_t kChildRecord = 0x12A;
constexpr std::size_t kTableNameLength = 0x4F;

// Where a check's items are: a non-zero slot says the item is there. The desktop engine
// leaves a memory address in each; we put the item's offset in the file.
enum Slot { Lookup, Internal, Minimum, Maximum, Default, Picture, kSlots };

void putText(std::vector<std::uint8_t>& out, std::size_t at, const std::string& text,
             std::size_t room) {
    // One byte stays for the terminating zero.
    const std::size_t n = std::min(text.size(), room - 1);
    std::copy_n(text.begin(), n, out.begin() + static_cast<std::ptrdiff_t>(at));
}

void putNumbers(std::vector<std::uint8_t>& out, std::size_t at, const std::vector<int>& numbers) {
    for (std::size_t i = 0; i < numbers.size() && i < kMaxReferenceFields; ++i)
        putLe16(&out[at + 2 * i], static_cast<std::uint16_t>(numbers[i]));
}

int valueLength(const ValidityFile& file, int field) {
    if (field < 0 || field >= static_cast<int>(file.fields.size())) return 0;
    return fieldLength(file.fields[field].type, file.fields[field].size);
}

void appendCheck(std::vector<std::uint8_t>& out, const ValidityFile& file,
                 const FieldCheck& check) {
    const std::size_t head = out.size();
    out.resize(head + kCheckHead);
    out[head] = static_cast<std::uint8_t>(check.field);
    out[head + 1] = check.picture.empty() ? 0 : static_cast<std::uint8_t>(check.picture.size() + 1);
    out[head + 2] = check.required ? 1 : 0;
    out[head + 3] = check.lookupFlags;
    auto mark = [&](Slot slot) {
        putLe32(&out[head + 4 + 4 * slot], static_cast<std::uint32_t>(out.size()));
    };
    if (!check.lookupTable.empty()) {
        mark(Lookup);
        const std::size_t at = out.size();
        out.resize(at + kLookupLength);
        putText(out, at, check.lookupTable, kLookupNameLength);
    }
    const std::size_t length = static_cast<std::size_t>(valueLength(file, check.field));
    for (const auto& [slot, value] :
         {std::pair{Minimum, &check.minimum}, std::pair{Maximum, &check.maximum},
          std::pair{Default, &check.defaultValue}}) {
        if (!*value) continue;
        mark(slot);
        std::vector<std::uint8_t> bytes = **value;
        bytes.resize(length);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    if (!check.picture.empty()) {
        mark(Picture);
        out.insert(out.end(), check.picture.begin(), check.picture.end());
        out.push_back(0);
    }
}

void appendParent(std::vector<std::uint8_t>& out, const ParentReference& parent) {
    const std::size_t at = out.size();
    out.resize(at + kParentRecord);
    putText(out, at, parent.name, 0x40);
    putText(out, at + 0x40, parent.fieldName, 0x40);
    out[at + 0xB2] = parent.fields.size() == 1 ? static_cast<std::uint8_t>(parent.fields[0]) : 0;
    putText(out, at + 0xD4, parent.parentTable, 0x72);
    putLe32(&out[at + 0x19A], parent.cascade ? 1 : 0);
    putLe16(&out[at + 0x19E], static_cast<std::uint16_t>(parent.fields.size()));
    putNumbers(out, at + 0x1A0, parent.fields);
    putNumbers(out, at + 0x1C0, parent.parentFields);
}

void appendChildren(std::vector<std::uint8_t>& out, const ValidityFile& file) {
    const std::size_t at = out.size();
    out.resize(at + kChildrenHead);
    putLe16(&out[at], 1);
    putLe16(&out[at + 0x96], static_cast<std::uint16_t>(file.keyFields.size()));
    putNumbers(out, at + 0x98, file.keyFields);
    putLe16(&out[at + 0xB8], static_cast<std::uint16_t>(file.children.size()));
    for (const ChildReference& child : file.children) {
        const std::size_t record = out.size();
        out.resize(record + kChildRecord);
        putText(out, record, child.name, 0x40);
        putText(out, record + 0x40, child.childTable, 0x52);
        putText(out, record + 0x92, child.fieldName, 0x72);
        putLe16(&out[record + 0x104],
                child.fields.size() == 1 ? static_cast<std::uint16_t>(child.fields[0]) : 0);
        out[record + 0x106] = child.cascade ? 1 : 0;
        putNumbers(out, record + 0x10A, child.fields);
    }
}

void appendFooter(std::vector<std::uint8_t>& out, const ValidityFile& file) {
    const std::size_t n = file.fields.size();
    std::size_t nameBytes = 0;
    for (const auto& field : file.fields) nameBytes += field.name.size() + 1;
    const std::size_t at = out.size();
    out.resize(at + 6 + 4 * n + kTableNameLength);
    putLe16(&out[at], static_cast<std::uint16_t>(n));
    putLe16(&out[at + 2], static_cast<std::uint16_t>(file.keyFieldCount));
    // The length of the names that follow: the table's and the fields'.
    putLe16(&out[at + 4], static_cast<std::uint16_t>(kTableNameLength + nameBytes));
    for (std::size_t i = 0; i < n; ++i) {
        putLe16(&out[at + 6 + 2 * i], static_cast<std::uint16_t>(i + 1));
        out[at + 6 + 2 * n + 2 * i] = file.fields[i].type;
        out[at + 7 + 2 * n + 2 * i] = file.fields[i].size;
    }
    putText(out, at + 6 + 4 * n, file.tableName, kTableNameLength);
    for (const auto& field : file.fields) {
        out.insert(out.end(), field.name.begin(), field.name.end());
        out.push_back(0);
    }
}

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size, const std::string& label)
        : data_(data), size_(size), label_(label) {}

    const std::uint8_t* at(std::size_t offset, std::size_t length) const {
        if (offset > size_ || length > size_ - offset) damaged();
        return data_ + offset;
    }
    std::uint8_t byte(std::size_t offset) const { return *at(offset, 1); }
    std::uint16_t word(std::size_t offset) const { return getLe16(at(offset, 2)); }
    std::uint32_t dword(std::size_t offset) const { return getLe32(at(offset, 4)); }
    std::string text(std::size_t offset, std::size_t room) const {
        const char* p = reinterpret_cast<const char*>(at(offset, room));
        return std::string(p, std::find(p, p + room, '\0'));
    }
    std::vector<int> numbers(std::size_t offset, std::size_t count) const {
        if (count > kMaxReferenceFields) damaged();
        std::vector<int> out;
        for (std::size_t i = 0; i < count; ++i) out.push_back(word(offset + 2 * i));
        return out;
    }
    [[noreturn]] void damaged() const {
        fail("The validity file " + inQuotes(label_) + " is damaged.");
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    const std::string& label_;
};

void readFooter(const Reader& in, std::size_t at, ValidityFile& file) {
    const std::size_t n = in.word(at);
    file.keyFieldCount = in.word(at + 2);
    file.fields.resize(n);
    for (std::size_t i = 0; i < n; ++i) {
        file.fields[i].type = in.byte(at + 6 + 2 * n + 2 * i);
        file.fields[i].size = in.byte(at + 7 + 2 * n + 2 * i);
    }
    file.tableName = in.text(at + 6 + 4 * n, kTableNameLength);
    std::size_t name = at + 6 + 4 * n + kTableNameLength;
    for (auto& field : file.fields) {
        const std::uint8_t* start = in.at(name, 1);
        std::size_t length = 0;
        while (in.byte(name + length) != 0) ++length;
        field.name.assign(reinterpret_cast<const char*>(start), length);
        name += length + 1;
    }
}

std::size_t readCheck(const Reader& in, std::size_t at, ValidityFile& file) {
    FieldCheck check;
    check.field = in.byte(at);
    if (check.field >= static_cast<int>(file.fields.size())) in.damaged();
    const std::size_t pictureSize = in.byte(at + 1);
    check.required = in.byte(at + 2) == 1;
    check.lookupFlags = in.byte(at + 3);
    std::uint32_t slots[kSlots];
    for (int s = 0; s < kSlots; ++s) slots[s] = in.dword(at + 4 + 4 * s);
    std::size_t p = at + kCheckHead;
    if (slots[Lookup] != 0) {
        check.lookupTable = in.text(p, kLookupNameLength);
        p += kLookupLength;
    }
    const std::size_t length = static_cast<std::size_t>(valueLength(file, check.field));
    for (const auto& [slot, value] :
         {std::pair{Minimum, &check.minimum}, std::pair{Maximum, &check.maximum},
          std::pair{Default, &check.defaultValue}}) {
        if (slots[slot] == 0) continue;
        const std::uint8_t* bytes = in.at(p, length);
        *value = std::vector<std::uint8_t>(bytes, bytes + length);
        p += length;
    }
    if (slots[Picture] != 0 && pictureSize > 0) {
        check.picture = in.text(p, pictureSize);
        p += pictureSize;
    }
    file.checks.push_back(std::move(check));
    return p;
}

void readReferences(const Reader& in, std::size_t at, ValidityFile& file) {
    const std::size_t parents = in.word(at);
    std::size_t p = at + 2;
    for (std::size_t i = 0; i < parents; ++i, p += kParentRecord) {
        ParentReference parent;
        parent.name = in.text(p, 0x40);
        parent.fieldName = in.text(p + 0x40, 0x40);
        parent.parentTable = in.text(p + 0xD4, 0x72);
        parent.cascade = (in.dword(p + 0x19A) & 0xFFFFFF) == 1;
        const std::size_t count = in.word(p + 0x19E);
        parent.fields = in.numbers(p + 0x1A0, count);
        parent.parentFields = in.numbers(p + 0x1C0, count);
        file.parents.push_back(std::move(parent));
    }
    if (in.word(p) == 0) return;
    file.keyFields = in.numbers(p + 0x98, in.word(p + 0x96));
    const std::size_t children = in.word(p + 0xB8);
    p += kChildrenHead;
    for (std::size_t i = 0; i < children; ++i, p += kChildRecord) {
        ChildReference child;
        child.name = in.text(p, 0x40);
        child.childTable = in.text(p + 0x40, 0x52);
        child.fieldName = in.text(p + 0x92, 0x72);
        child.cascade = in.byte(p + 0x106) == 1;
        std::size_t count = 0;
        while (count < kMaxReferenceFields && in.word(p + 0x10A + 2 * count) != 0) ++count;
        child.fields = in.numbers(p + 0x10A, count);
        file.children.push_back(std::move(child));
    }
}

}  // namespace

std::vector<std::uint8_t> encodeValidityFile(const ValidityFile& file) {
    std::vector<std::uint8_t> out(kChecksAt, 0);
    out[0] = file.changeCount;
    out[1] = file.version;
    out[2] = static_cast<std::uint8_t>(file.checks.size());
    putLe32(&out[3], file.updateTime);
    putLe16(&out[7], file.highFieldId);
    for (const FieldCheck& check : file.checks) appendCheck(out, file, check);
    if (!file.parents.empty() || !file.children.empty()) {
        putLe32(&out[0x0D], static_cast<std::uint32_t>(out.size()));
        const std::size_t at = out.size();
        out.resize(at + 2);
        putLe16(&out[at], static_cast<std::uint16_t>(file.parents.size()));
        for (const ParentReference& parent : file.parents) appendParent(out, parent);
        if (file.children.empty())
            out.resize(out.size() + 2);
        else
            appendChildren(out, file);
    }
    putLe32(&out[0x09], static_cast<std::uint32_t>(out.size()));
    appendFooter(out, file);
    return out;
}

ValidityFile decodeValidityFile(const std::uint8_t* data, std::size_t size,
                                const std::string& label) {
    const Reader in(data, size, label);
    ValidityFile file;
    file.changeCount = in.byte(0);
    file.version = in.byte(1);
    if (file.version < 9) in.damaged();
    const std::size_t checks = in.byte(2);
    file.updateTime = in.dword(3);
    file.highFieldId = in.word(7);
    readFooter(in, in.dword(0x09), file);
    std::size_t p = kChecksAt;
    for (std::size_t i = 0; i < checks; ++i) p = readCheck(in, p, file);
    if (const std::uint32_t references = in.dword(0x0D); references != 0)
        readReferences(in, references, file);
    return file;
}

}  // namespace velmora::paradox
