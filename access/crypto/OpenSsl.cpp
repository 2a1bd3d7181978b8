#include "access/crypto/OpenSsl.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <mutex>

#include "access/crypto/CryptoErrors.h"

namespace velmora::access::crypto {

namespace {

// Loaded once and kept for the life of the process (providers cannot be unloaded
// while ciphers fetched from them are alive anywhere).
OSSL_LIB_CTX* library() {
    static OSSL_LIB_CTX* context = [] {
        OSSL_LIB_CTX* created = OSSL_LIB_CTX_new();
        if (created != nullptr) {
            OSSL_PROVIDER_load(created, "default");
            OSSL_PROVIDER_load(created, "legacy");  // only RC4 needs it
        }
        return created;
    }();
    if (context == nullptr) throw UnreadableProtection("OpenSSL could not be initialised.");
    return context;
}

void check(int result, const char* what) {
    if (result != 1) throw UnreadableProtection(std::string("OpenSSL failed to ") + what + ".");
}

EVP_CIPHER* fetchCipher(const std::string& name) {
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(library(), name.c_str(), nullptr);
    if (cipher == nullptr)
        throw UnreadableProtection("The cipher " + name + " is not available in OpenSSL.");
    return cipher;
}

}  // namespace

Hasher::Hasher(std::string_view algorithm) {
    const std::string name(algorithm);
    md_ = EVP_MD_fetch(library(), name.c_str(), nullptr);
    if (md_ == nullptr)
        throw UnreadableProtection("The hash algorithm " + name + " is not supported.");
    ctx_ = EVP_MD_CTX_new();
    if (ctx_ == nullptr) {
        EVP_MD_free(md_);
        throw std::bad_alloc();
    }
    size_ = static_cast<std::size_t>(EVP_MD_get_size(md_));
}

Hasher::~Hasher() {
    EVP_MD_CTX_free(ctx_);
    EVP_MD_free(md_);
}

void Hasher::digestInto(std::initializer_list<ByteView> parts, std::uint8_t* out) {
    check(EVP_DigestInit_ex2(ctx_, md_, nullptr), "start a hash");
    for (ByteView part : parts) check(EVP_DigestUpdate(ctx_, part.data(), part.size()), "hash");
    check(EVP_DigestFinal_ex(ctx_, out, nullptr), "finish a hash");
}

SecretBytes Hasher::digest(std::initializer_list<ByteView> parts) {
    SecretBytes out(size_);
    digestInto(parts, out.data());
    return out;
}

SecretBytes Hasher::iterate(ByteView start, std::uint32_t iterations) {
    SecretBytes current(start.begin(), start.end());
    SecretBytes next(size_);
    for (std::uint32_t i = 0; i < iterations; ++i) {
        const std::uint8_t counter[4] = {
            static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i >> 8),
            static_cast<std::uint8_t>(i >> 16), static_cast<std::uint8_t>(i >> 24)};
        next.resize(size_);  // after the first swap it holds `start`, of any length
        digestInto({counter, current}, next.data());
        current.swap(next);
    }
    return current;
}

Rc4::Rc4() : cipher_(fetchCipher("RC4")), ctx_(EVP_CIPHER_CTX_new()) {
    if (ctx_ == nullptr) {
        EVP_CIPHER_free(cipher_);
        throw std::bad_alloc();
    }
}

Rc4::~Rc4() {
    EVP_CIPHER_CTX_free(ctx_);
    EVP_CIPHER_free(cipher_);
}

void Rc4::start(ByteView key) {
    // RC4 keys vary in length (4 bytes for Jet pages, 5 or 16 for CryptoAPI), so the key
    // length is set before the key itself.
    check(EVP_DecryptInit_ex2(ctx_, cipher_, nullptr, nullptr, nullptr), "start RC4");
    check(EVP_CIPHER_CTX_set_key_length(ctx_, static_cast<int>(key.size())),
          "set an RC4 key length");
    check(EVP_DecryptInit_ex2(ctx_, nullptr, key.data(), nullptr, nullptr), "set an RC4 key");
}

void Rc4::apply(ByteView key, MutableBytes data) {
    applyContinuous(key, {data});
}

void Rc4::applyContinuous(ByteView key, std::initializer_list<MutableBytes> ranges) {
    start(key);
    for (MutableBytes range : ranges) {
        int written = 0;
        check(EVP_DecryptUpdate(ctx_, range.data(), &written, range.data(),
                                static_cast<int>(range.size())),
              "apply RC4");
    }
}

namespace {
std::string aesName(std::size_t keyBytes, Chaining chaining) {
    if (keyBytes != 16 && keyBytes != 24 && keyBytes != 32)
        throw UnreadableProtection("An AES key of " + std::to_string(keyBytes * 8) +
                                   " bits is not supported.");
    const char* mode = chaining == Chaining::kEcb   ? "ECB"
                       : chaining == Chaining::kCbc ? "CBC"
                                                    : "CFB8";
    return "AES-" + std::to_string(keyBytes * 8) + "-" + mode;
}
}  // namespace

AesDecryptor::AesDecryptor(std::size_t keyBytes, Chaining chaining)
    : cipher_(fetchCipher(aesName(keyBytes, chaining))),
      ctx_(EVP_CIPHER_CTX_new()),
      keyBytes_(keyBytes),
      chaining_(chaining) {
    if (ctx_ == nullptr) {
        EVP_CIPHER_free(cipher_);
        throw std::bad_alloc();
    }
}

AesDecryptor::~AesDecryptor() {
    EVP_CIPHER_CTX_free(ctx_);
    EVP_CIPHER_free(cipher_);
}

void AesDecryptor::setKey(ByteView key) {
    if (key.size() != keyBytes_) throw UnreadableProtection("An AES key has the wrong length.");
    check(EVP_DecryptInit_ex2(ctx_, cipher_, key.data(), nullptr, nullptr), "set an AES key");
    check(EVP_CIPHER_CTX_set_padding(ctx_, 0), "turn AES padding off");
    keyed_ = true;
}

void AesDecryptor::decrypt(ByteView iv, MutableBytes data) {
    if (!keyed_) throw UnreadableProtection("AES was used before its key was set.");
    if (chaining_ != Chaining::kEcb) {
        if (iv.size() != kBlockSize) throw UnreadableProtection("An AES IV has the wrong length.");
        check(EVP_DecryptInit_ex2(ctx_, nullptr, nullptr, iv.data(), nullptr), "set an AES IV");
        check(EVP_CIPHER_CTX_set_padding(ctx_, 0), "turn AES padding off");
    }
    if (chaining_ != Chaining::kCfb8 && data.size() % kBlockSize != 0)
        throw UnreadableProtection("Encrypted data is not a whole number of AES blocks.");
    int written = 0;
    check(
        EVP_DecryptUpdate(ctx_, data.data(), &written, data.data(), static_cast<int>(data.size())),
        "decrypt AES");
}

}  // namespace velmora::access::crypto
