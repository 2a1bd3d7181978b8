#include "ExpectedTables.h"

#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>

namespace velmora::test {

namespace {

// Just enough JSON for these files: objects, arrays, strings, numbers, null, booleans.
struct Json {
    enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
    std::string text;  // string contents, or the literal of a number/boolean
    std::vector<Json> items;
    std::map<std::string, Json> members;
};

class JsonParser {
  public:
    explicit JsonParser(const std::string& text) : text_(text) {}

    Json document() {
        Json value = parse();
        skipSpace();
        if (at_ != text_.size()) fail("trailing characters");
        return value;
    }

  private:
    [[noreturn]] void fail(const char* what) {
        throw std::runtime_error(std::string("bad JSON: ") + what);
    }
    void skipSpace() {
        while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
    }
    char next() {
        skipSpace();
        if (at_ >= text_.size()) fail("unexpected end");
        return text_[at_];
    }
    void expect(char c) {
        if (next() != c) fail("unexpected character");
        ++at_;
    }

    Json parse() {
        Json value;
        const char c = next();
        if (c == '{') {
            value.kind = Json::Kind::kObject;
            ++at_;
            if (next() == '}') return ++at_, value;
            for (;;) {
                std::string key = parseString();
                expect(':');
                value.members.emplace(std::move(key), parse());
                if (next() == '}') return ++at_, value;
                expect(',');
            }
        }
        if (c == '[') {
            value.kind = Json::Kind::kArray;
            ++at_;
            if (next() == ']') return ++at_, value;
            for (;;) {
                value.items.push_back(parse());
                if (next() == ']') return ++at_, value;
                expect(',');
            }
        }
        if (c == '"') {
            value.kind = Json::Kind::kString;
            value.text = parseString();
            return value;
        }
        const std::size_t start = at_;
        while (at_ < text_.size() &&
               std::string_view(",]} \t\r\n").find(text_[at_]) == std::string_view::npos)
            ++at_;
        value.text = text_.substr(start, at_ - start);
        if (value.text == "null") return value;
        value.kind =
            value.text == "true" || value.text == "false" ? Json::Kind::kBool : Json::Kind::kNumber;
        return value;
    }

    static void appendUtf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xc0 | cp >> 6);
            out += static_cast<char>(0x80 | (cp & 0x3f));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xe0 | cp >> 12);
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3f));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        } else {
            out += static_cast<char>(0xf0 | cp >> 18);
            out += static_cast<char>(0x80 | (cp >> 12 & 0x3f));
            out += static_cast<char>(0x80 | (cp >> 6 & 0x3f));
            out += static_cast<char>(0x80 | (cp & 0x3f));
        }
    }

    std::uint32_t hex4() {
        if (at_ + 4 > text_.size()) fail("short \\u escape");
        const std::uint32_t value = std::stoul(text_.substr(at_, 4), nullptr, 16);
        at_ += 4;
        return value;
    }

    std::string parseString() {
        expect('"');
        std::string out;
        for (;;) {
            if (at_ >= text_.size()) fail("unterminated string");
            const char c = text_[at_++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            const char escape = text_.at(at_++);
            switch (escape) {
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'u': {
                    std::uint32_t cp = hex4();
                    if (cp >= 0xd800 && cp < 0xdc00 && text_.compare(at_, 2, "\\u") == 0) {
                        at_ += 2;
                        cp = 0x10000 + ((cp - 0xd800) << 10) + (hex4() - 0xdc00);
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default:
                    out += escape;
            }
        }
    }

    const std::string& text_;
    std::size_t at_ = 0;
};

const Json& member(const Json& object, const std::string& key) {
    const auto found = object.members.find(key);
    if (found == object.members.end())
        throw std::runtime_error("expected values: no \"" + key + "\"");
    return found->second;
}

}  // namespace

std::vector<ExpectedTable> readExpectedTables(const std::filesystem::path& jsonl) {
    std::ifstream in(jsonl);
    if (!in) throw std::runtime_error("cannot read " + jsonl.string());
    std::vector<ExpectedTable> tables;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const Json value = JsonParser(line).document();
        if (value.kind == Json::Kind::kObject) {
            ExpectedTable table;
            table.name = member(value, "table").text;
            table.rowCount = std::stoll(member(value, "num_rows").text);
            for (const Json& column : member(value, "columns").items) {
                table.columnNames.push_back(member(column, "name").text);
                table.columnTypes.push_back(member(column, "type").text);
            }
            tables.push_back(std::move(table));
        } else if (value.kind == Json::Kind::kArray && !tables.empty()) {
            std::vector<std::optional<std::string>> row;
            for (const Json& cell : value.items)
                row.push_back(cell.kind == Json::Kind::kNull ? std::nullopt
                                                             : std::optional(cell.text));
            tables.back().rows.push_back(std::move(row));
        } else {
            throw std::runtime_error("expected values: unexpected line in " + jsonl.string());
        }
    }
    return tables;
}

}  // namespace velmora::test
