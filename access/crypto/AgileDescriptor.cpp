#include "access/crypto/AgileDescriptor.h"

#include <openssl/evp.h>

#include <charconv>
#include <map>
#include <optional>

#include "access/crypto/CryptoErrors.h"

namespace velmora::access::crypto {

namespace {

constexpr std::string_view kPasswordEncryptorUri =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/password";

[[noreturn]] void damaged(const std::string& detail) {
    throw UnreadableProtection("The agile encryption descriptor of the database is damaged (" +
                               detail + ").");
}

// One start tag: its name without namespace prefix, and its attributes (prefixes kept).
struct Element {
    std::string name;
    std::map<std::string, std::string, std::less<>> attributes;
};

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string decodeEntities(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '&') {
            out += value[i];
            continue;
        }
        static constexpr std::pair<std::string_view, char> kEntities[] = {
            {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
        bool known = false;
        for (const auto& [entity, c] : kEntities) {
            if (value.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size() - 1;
                known = true;
                break;
            }
        }
        if (!known) damaged("unknown XML entity");
    }
    return out;
}

// The start tags of the document in order; the descriptor needs nothing else.
std::vector<Element> startTags(std::string_view xml) {
    std::vector<Element> elements;
    std::size_t at = 0;
    while ((at = xml.find('<', at)) != std::string_view::npos) {
        ++at;
        if (at < xml.size() && (xml[at] == '?' || xml[at] == '!' || xml[at] == '/')) continue;
        Element element;
        std::size_t end = at;
        while (end < xml.size() && !isSpace(xml[end]) && xml[end] != '>' && xml[end] != '/') ++end;
        std::string_view name = xml.substr(at, end - at);
        if (const std::size_t colon = name.find(':'); colon != std::string_view::npos)
            name.remove_prefix(colon + 1);
        element.name = name;
        at = end;
        for (;;) {
            while (at < xml.size() && isSpace(xml[at])) ++at;
            if (at >= xml.size()) damaged("unterminated XML tag");
            if (xml[at] == '>' || xml[at] == '/') break;
            const std::size_t equals = xml.find('=', at);
            if (equals == std::string_view::npos || equals + 1 >= xml.size())
                damaged("malformed XML attribute");
            std::string_view attribute = xml.substr(at, equals - at);
            while (!attribute.empty() && isSpace(attribute.back())) attribute.remove_suffix(1);
            const char quote = xml[equals + 1];
            if (quote != '"' && quote != '\'') damaged("unquoted XML attribute");
            const std::size_t close = xml.find(quote, equals + 2);
            if (close == std::string_view::npos) damaged("unterminated XML attribute");
            element.attributes.emplace(attribute,
                                       decodeEntities(xml.substr(equals + 2, close - equals - 2)));
            at = close + 1;
        }
        elements.push_back(std::move(element));
    }
    return elements;
}

const std::string& attribute(const Element& element, std::string_view name) {
    const auto found = element.attributes.find(name);
    if (found == element.attributes.end()) damaged(element.name + " has no " + std::string(name));
    return found->second;
}

std::uint64_t number(const Element& element, std::string_view name, std::uint64_t smallest,
                     std::uint64_t largest) {
    const std::string& text = attribute(element, name);
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < smallest ||
        value > largest)
        damaged(element.name + " has an invalid " + std::string(name));
    return value;
}

std::vector<std::uint8_t> base64(const Element& element, std::string_view name) {
    const std::string& text = attribute(element, name);
    if (text.empty() || text.size() % 4 != 0)
        damaged(element.name + " has an invalid " + std::string(name));
    std::vector<std::uint8_t> out(text.size() / 4 * 3);
    const int decoded =
        EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(text.data()),
                        static_cast<int>(text.size()));
    if (decoded < 0) damaged(element.name + " has an invalid " + std::string(name));
    // EVP_DecodeBlock counts the '=' padding as zero bytes.
    std::size_t size = static_cast<std::size_t>(decoded);
    for (std::size_t i = text.size(); i > text.size() - 2 && text[i - 1] == '='; --i) --size;
    out.resize(size);
    return out;
}

void readCipherParameters(const Element& element, AgileCipherParameters& out) {
    // Limits from the published schema of the descriptor.
    out.salt = base64(element, "saltValue");
    const std::uint64_t saltSize = number(element, "saltSize", 1, 65536);
    if (saltSize != out.salt.size()) damaged(element.name + " has a salt of the wrong size");
    out.blockSize = number(element, "blockSize", 2, 4096);
    out.keyBits = number(element, "keyBits", 8, 65536);
    if (out.keyBits % 8 != 0) damaged(element.name + " has an invalid keyBits");
    out.hashSize = number(element, "hashSize", 1, 65536);
    out.cipherAlgorithm = attribute(element, "cipherAlgorithm");
    out.cipherChaining = attribute(element, "cipherChaining");
    out.hashAlgorithm = attribute(element, "hashAlgorithm");
}

}  // namespace

AgileDescriptor parseAgileDescriptor(std::string_view xml) {
    const std::vector<Element> elements = startTags(xml);
    AgileDescriptor descriptor;
    const Element* keyData = nullptr;
    const Element* passwordKey = nullptr;
    bool inPasswordEncryptor = false;
    for (const Element& element : elements) {
        if (element.name == "keyData" && keyData == nullptr) keyData = &element;
        if (element.name == "keyEncryptor") {
            const auto uri = element.attributes.find("uri");
            inPasswordEncryptor =
                uri != element.attributes.end() && uri->second == kPasswordEncryptorUri;
        }
        if (element.name == "encryptedKey" && inPasswordEncryptor && passwordKey == nullptr)
            passwordKey = &element;
    }
    if (keyData == nullptr) damaged("no keyData");
    if (passwordKey == nullptr)
        throw UnreadableProtection(
            "The database is encrypted for certificates only (no password key encryptor), which "
            "cannot be read.");
    readCipherParameters(*keyData, descriptor.keyData);
    readCipherParameters(*passwordKey, descriptor.passwordKey);
    descriptor.passwordKey.spinCount =
        static_cast<std::uint32_t>(number(*passwordKey, "spinCount", 0, 10000000));
    descriptor.passwordKey.encryptedVerifierHashInput =
        base64(*passwordKey, "encryptedVerifierHashInput");
    descriptor.passwordKey.encryptedVerifierHashValue =
        base64(*passwordKey, "encryptedVerifierHashValue");
    descriptor.passwordKey.encryptedKeyValue = base64(*passwordKey, "encryptedKeyValue");
    return descriptor;
}

}  // namespace velmora::access::crypto
