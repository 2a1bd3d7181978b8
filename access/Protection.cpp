#include "access/Protection.h"

#include <cstring>
#include <fstream>
#include <memory>
#include <optional>

#include "access/crypto/CryptoErrors.h"
#include "access/crypto/HeaderPage.h"
#include "access/crypto/JetPassword.h"
#include "access/crypto/OfficeEncryption.h"
#include "access/crypto/TextEncoding.h"
#include "dataaccess/DbError.h"

namespace velmora::access {

namespace {

constexpr const char kJetMagic[] = "Standard Jet DB";
constexpr const char kAceMagic[] = "Standard ACE DB";

db::DbError failure(const std::string& description) {
    return db::DbError(db::errc::kProviderFailure, description);
}

// The start of the file: at least the 0x20 bytes of the format check, at most one Jet4 page.
std::vector<std::uint8_t> readStart(std::ifstream& file, const std::string& path) {
    std::vector<std::uint8_t> start(crypto::HeaderPage::pageSizeOf(crypto::HeaderPage::kJet4));
    file.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()));
    start.resize(static_cast<std::size_t>(file.gcount()));
    if (start.size() < 0x20 ||
        (std::memcmp(start.data() + 4, kJetMagic, sizeof kJetMagic - 1) != 0 &&
         std::memcmp(start.data() + 4, kAceMagic, sizeof kAceMagic - 1) != 0))
        throw failure("Unrecognized database format '" + path + "'.");
    return start;
}

// The whole encrypted file, which becomes the decrypted image in place.
crypto::SecretBytes readWhole(std::ifstream& file, const std::string& path, std::size_t pageSize) {
    file.clear();
    file.seekg(0, std::ios::end);
    const std::streamoff size = file.tellg();
    if (size <= 0 || static_cast<std::size_t>(size) % pageSize != 0)
        throw crypto::UnreadableProtection(
            "The encrypted database is damaged (its size is not a whole number of pages).");
    crypto::SecretBytes image(static_cast<std::size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(image.data()), size))
        throw failure("Cannot read the database '" + path + "'.");
    return image;
}

DatabaseImage openProtected(std::ifstream& file, const std::string& path,
                            const std::string& password) {
    const std::vector<std::uint8_t> start = readStart(file, path);
    const crypto::HeaderPage header(start);
    const std::optional<crypto::SecretBytes> given = crypto::utf16leFromUtf8(password);

    if (!header.isAce()) {
        // Jet pages encoded with the database key are decoded by libmdb itself.
        if (!crypto::jetPasswordMatches(header,
                                        given ? crypto::ByteView(*given) : crypto::ByteView()))
            throw crypto::WrongPassword();
        return DatabaseImage{path, {}};
    }
    if (!header.pagesEncoded()) return DatabaseImage{path, {}};

    if (!given) throw crypto::WrongPassword();  // malformed UTF-8 cannot be the password
    const std::unique_ptr<crypto::PageDecryptor> decryptor =
        crypto::unlockOfficeEncryption(header, *given);
    crypto::SecretBytes image = readWhole(file, path, header.pageSize());
    crypto::decryptPages(image, header.pageSize(), *decryptor);
    crypto::HeaderPage::clearEncodingKey(crypto::MutableBytes(image).first(header.pageSize()));
    return DatabaseImage{path, std::move(image)};
}

}  // namespace

DatabaseImage prepareDatabase(const std::string& path, const std::string& password) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw failure("Unrecognized database format '" + path + "'.");
    try {
        return openProtected(file, path, password);
    } catch (const crypto::WrongPassword& wrong) {
        throw failure(wrong.what());
    } catch (const crypto::UnreadableProtection& unreadable) {
        throw failure("Cannot open '" + path + "': " + unreadable.what());
    }
}

}  // namespace velmora::access
