#include "paradox/TableFiles.h"

#include <algorithm>
#include <cctype>
#include <system_error>

#include "common/text/CodePage.h"
#include "common/text/Utf8.h"
#include "paradox/DriverError.h"
#include "paradox/HeaderLayout.h"

namespace velmora::paradox {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxFileNameBytes = 255;
constexpr int kMaxFieldNameLength = 25;

char lowerAscii(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool endsWithIgnoringCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           sameNameIgnoringCase(text.substr(text.size() - suffix.size()), suffix);
}

bool isReservedDeviceName(std::string_view name) {
    const std::string_view base = name.substr(0, name.find('.'));
    static constexpr std::string_view kNames[] = {"CON", "PRN", "AUX", "NUL", "CLOCK$"};
    for (auto reserved : kNames)
        if (sameNameIgnoringCase(base, reserved)) return true;
    if (base.size() == 4 && (sameNameIgnoringCase(base.substr(0, 3), "COM") ||
                             sameNameIgnoringCase(base.substr(0, 3), "LPT")))
        return base[3] >= '1' && base[3] <= '9';
    return false;
}

[[noreturn]] void badTableName(std::string_view name, const std::string& why) {
    fail("The table name " + inQuotes(name) + " cannot be used: " + why + ".");
}

// Number of code page bytes, or -1 when a character is missing from it.
int codePageLength(std::string_view utf8, int codePage) {
    const text::CodePage& cp = text::CodePage::forNumber(codePage);
    std::size_t i = 0;
    int count = 0;
    char32_t c = 0;
    while (i < utf8.size()) {
        if (!text::nextCodePoint(utf8, i, c)) return -1;
        const int encoded = cp.encode(c);
        if (encoded < 0) return -1;
        count += encoded >= 0x100 ? 2 : 1;
    }
    return count;
}

fs::path findIgnoringCase(const fs::path& folder, const std::string& fileName) {
    std::error_code ec;
    const fs::path exact = folder / fileName;
    if (fs::is_regular_file(exact, ec)) return exact;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const std::string candidate = entry.path().filename().string();
        if (sameNameIgnoringCase(candidate, fileName) && entry.is_regular_file(ec))
            return entry.path();
    }
    return {};
}

bool isHexDigit(char c) {
    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
}

bool isFamilyExtension(std::string_view ext) {
    static constexpr std::string_view kFixed[] = {"db", "px", "mb", "val", "tv", "fam"};
    for (auto e : kFixed)
        if (sameNameIgnoringCase(ext, e)) return true;
    const char first = lowerAscii(ext.empty() ? '\0' : ext[0]);
    if (first != 'x' && first != 'y') return false;
    if (ext.size() == 3 && isHexDigit(ext[1]) && isHexDigit(ext[2])) return true;  // .X01, .Y01
    return ext.size() == 3 && lowerAscii(ext[1]) == 'g' && isHexDigit(ext[2]);     // .XG0, .YG0
}

}  // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

std::string checkedTableName(std::string_view name) {
    if (endsWithIgnoringCase(name, ".db")) name.remove_suffix(3);
    if (name.empty()) badTableName(name, "it is empty");
    std::size_t i = 0;
    char32_t c = 0;
    while (i < name.size()) {
        if (!text::nextCodePoint(name, i, c)) badTableName(name, "it is not valid UTF-8 text");
        if (c < 0x20 || c == 0x7F) badTableName(name, "it contains a control character");
        if (c == '/' || c == '\\') badTableName(name, "it contains a path separator");
        if (c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|')
            badTableName(name, std::string("a file name cannot contain ") + static_cast<char>(c));
    }
    if (name == "." || name.find("..") != std::string_view::npos)
        badTableName(name, "it contains \"..\"");
    if (name.back() == ' ' || name.back() == '.')
        badTableName(name, "a file name cannot end with a blank or a dot");
    if (name.front() == ' ') badTableName(name, "a file name cannot start with a blank");
    if (isReservedDeviceName(name)) badTableName(name, "it is a reserved device name");
    if (name.size() + 3 > kMaxFileNameBytes)
        badTableName(name, "it is longer than a file name can be");
    return std::string(name);
}

void checkNewTableName(std::string_view name, int codePage) {
    const int length = codePageLength(name, codePage);
    if (length < 0)
        badTableName(
            name, "it has a character that code page " + std::to_string(codePage) + " cannot hold");
    // The header keeps "<name>.db" in 79 bytes ending with a zero byte.
    if (length + 3 > hdr::kTableNameLength - 1)
        badTableName(name, "a Paradox 5 table name holds at most " +
                               std::to_string(hdr::kTableNameLength - 4) + " characters");
}

void checkFieldName(std::string_view name, int codePage) {
    auto bad = [&](const std::string& why) {
        fail("The column name " + inQuotes(name) + " cannot be used in a Paradox table: " + why +
             ".");
    };
    const int length = codePageLength(name, codePage);
    if (length < 0)
        bad("it has a character that code page " + std::to_string(codePage) + " cannot hold");
    if (length == 0) bad("it is empty");
    if (length > kMaxFieldNameLength) bad("a field name holds at most 25 characters");
    if (name.front() == ' ') bad("it starts with a blank");
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) bad("it contains a control character");
    if (name.find_first_of("[]{}()\"") != std::string_view::npos)
        bad("it contains one of [ ] { } ( ) \"");
    if (name.find("->") != std::string_view::npos) bad("it contains \"->\"");
    if (name == "#") bad("\"#\" alone is not a field name");
}

TableFiles locateTable(const fs::path& folder, const std::string& name) {
    TableFiles files;
    files.name = name;
    files.db = findIgnoringCase(folder, name + ".db");
    if (files.db.empty()) return files;
    const std::string stem = files.db.stem().string();
    files.px = findIgnoringCase(folder, stem + ".px");
    files.mb = findIgnoringCase(folder, stem + ".mb");
    files.val = findIgnoringCase(folder, stem + ".val");
    return files;
}

std::vector<fs::path> familyFiles(const fs::path& folder, const std::string& name) {
    std::vector<fs::path> found;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::string file = entry.path().filename().string();
        // What a killed CREATE INDEX left: "T.db.~new", "T.px.~new".
        if (endsWithIgnoringCase(file, kUnfinishedSuffix))
            file.resize(file.size() - kUnfinishedSuffix.size());
        const auto dot = file.rfind('.');
        if (dot == std::string::npos ||
            !sameNameIgnoringCase(std::string_view(file).substr(0, dot), name))
            continue;
        if (isFamilyExtension(std::string_view(file).substr(dot + 1)) && !entry.is_directory(ec))
            found.push_back(entry.path());
    }
    // The .db goes first: once it is gone the table is gone, whatever else remains.
    std::stable_partition(found.begin(), found.end(), [](const fs::path& p) {
        return sameNameIgnoringCase(p.extension().string(), ".db");
    });
    return found;
}

std::vector<std::string> tableNames(const fs::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& p = entry.path();
        if (sameNameIgnoringCase(p.extension().string(), ".db") && entry.is_regular_file(ec))
            names.push_back(p.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace velmora::paradox
