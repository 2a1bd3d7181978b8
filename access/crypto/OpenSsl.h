#pragma once
// The OpenSSL pieces the decryption code uses, fetched from a library context of our
// own (default provider plus the legacy one for RC4), so the process-wide OpenSSL
// configuration is neither needed nor changed.

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "access/crypto/Bytes.h"

typedef struct evp_md_st EVP_MD;
typedef struct evp_md_ctx_st EVP_MD_CTX;
typedef struct evp_cipher_st EVP_CIPHER;
typedef struct evp_cipher_ctx_st EVP_CIPHER_CTX;

namespace velmora::access::crypto {

// A hash function by its OpenSSL name ("SHA1", "SHA512", ...). Throws
// UnreadableProtection for a name OpenSSL does not know.
class Hasher {
  public:
    explicit Hasher(std::string_view algorithm);
    ~Hasher();
    Hasher(const Hasher&) = delete;
    Hasher& operator=(const Hasher&) = delete;

    std::size_t size() const { return size_; }
    // The hash of the concatenated parts.
    SecretBytes digest(std::initializer_list<ByteView> parts);
    // H(n) = H(little-endian 32-bit n-1 + H(n-1)), starting from `start`; the password
    // spin of the Office schemes.
    SecretBytes iterate(ByteView start, std::uint32_t iterations);

  private:
    void digestInto(std::initializer_list<ByteView> parts, std::uint8_t* out);

    EVP_MD* md_ = nullptr;
    EVP_MD_CTX* ctx_ = nullptr;
    std::size_t size_ = 0;
};

// RC4 with a fresh key for every call, applied in place.
class Rc4 {
  public:
    Rc4();
    ~Rc4();
    Rc4(const Rc4&) = delete;
    Rc4& operator=(const Rc4&) = delete;

    void apply(ByteView key, MutableBytes data);
    // One keystream over several ranges in a row (a verifier followed by its hash).
    void applyContinuous(ByteView key, std::initializer_list<MutableBytes> ranges);

  private:
    void start(ByteView key);

    EVP_CIPHER* cipher_ = nullptr;
    EVP_CIPHER_CTX* ctx_ = nullptr;
};

enum class Chaining { kEcb, kCbc, kCfb8 };

// AES decryption without padding, in place. Keeps its key between calls so that a page
// key set once serves every page with a new IV.
class AesDecryptor {
  public:
    AesDecryptor(std::size_t keyBytes, Chaining chaining);
    ~AesDecryptor();
    AesDecryptor(const AesDecryptor&) = delete;
    AesDecryptor& operator=(const AesDecryptor&) = delete;

    static constexpr std::size_t kBlockSize = 16;
    std::size_t keySize() const { return keyBytes_; }

    void setKey(ByteView key);
    // `data` must be a whole number of blocks (except for CFB8); `iv` is ignored in ECB.
    void decrypt(ByteView iv, MutableBytes data);

  private:
    EVP_CIPHER* cipher_ = nullptr;
    EVP_CIPHER_CTX* ctx_ = nullptr;
    std::size_t keyBytes_;
    Chaining chaining_;
    bool keyed_ = false;
};

}  // namespace velmora::access::crypto
