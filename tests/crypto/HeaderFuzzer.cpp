// libFuzzer target: any header page, Jet or encrypted .accdb, ends in a password check
// or a clear UnreadableProtection, never a crash (built with -DVELMORA_FUZZ=ON). Seeds:
// the first page of the protected corpus files.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "access/crypto/CryptoErrors.h"
#include "access/crypto/HeaderPage.h"
#include "access/crypto/JetPassword.h"
#include "access/crypto/OfficeEncryption.h"
#include "access/crypto/TextEncoding.h"

using namespace velmora::access::crypto;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const SecretBytes password = *utf16leFromUtf8("password");
    try {
        const HeaderPage header(ByteView(data, size));
        if (!header.isAce()) {
            jetPasswordMatches(header, password);
        } else if (header.pagesEncoded()) {
            std::vector<std::uint8_t> page(header.pageSize());
            unlockOfficeEncryption(header, password)->decryptPage(page, 1);
        }
    } catch (const UnreadableProtection&) {
    } catch (const WrongPassword&) {
    }
    return 0;
}
