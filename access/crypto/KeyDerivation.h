#pragma once
// How the Office schemes turn a password and a block number into keys and IVs. Access
// uses the database key (page 0, 0x3e) XOR the page number as the block number of a
// page, and block 0 for checking the password.

#include <cstddef>
#include <cstdint>

#include "access/crypto/Bytes.h"

namespace velmora::access::crypto {

class Hasher;

// The 4-byte block key of a page: database key XOR the little-endian page number.
SecretBytes pageBlockKey(ByteView encodingKey, std::uint32_t pageNumber);

// Agile: key = H(spun hash + block key), cut or padded with 0x36 to `keyBytes`.
SecretBytes agileKey(Hasher& hasher, ByteView spunHash, ByteView blockKey, std::size_t keyBytes);

// Agile: IV = H(salt + block key), cut or padded with 0x36 to `blockSize`.
SecretBytes agileIv(Hasher& hasher, ByteView salt, ByteView blockKey, std::size_t blockSize);

// Standard (CryptoAPI AES): the SHA-1 of the spun hash and block key, spread over
// SHA-1(0x36-pad XOR it) + SHA-1(0x5c-pad XOR it) and cut to `keyBytes`.
SecretBytes standardAesKey(Hasher& sha1, ByteView spunHash, ByteView blockKey,
                           std::size_t keyBytes);

// CryptoAPI RC4: SHA-1(base hash + block key) cut to the key size; a 40-bit key is used
// as 128 bits with zeros after it, as CryptoAPI does.
SecretBytes cryptoApiRc4Key(Hasher& sha1, ByteView baseHash, ByteView blockKey,
                            std::size_t keyBits);

}  // namespace velmora::access::crypto
