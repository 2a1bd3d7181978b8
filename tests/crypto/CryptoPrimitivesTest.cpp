// The building blocks of decryption against values computed independently of this
// code (RFC 6229 for RC4; Python's hashlib, following the published key derivations,
// for the Office keys), and the parts no corpus file exercises.

#include <gtest/gtest.h>

#include <fstream>

#include "access/crypto/AgileDescriptor.h"
#include "access/crypto/CryptoErrors.h"
#include "access/crypto/HeaderPage.h"
#include "access/crypto/JetPassword.h"
#include "access/crypto/KeyDerivation.h"
#include "access/crypto/OpenSsl.h"
#include "access/crypto/TextEncoding.h"
#include "tests/crypto/ProtectedCorpusFiles.h"

namespace velmora::access::crypto {
namespace {

using velmora::access::testing::corpusFile;

std::string hex(ByteView bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

SecretBytes utf16(std::string_view utf8) {
    return utf16leFromUtf8(utf8).value();
}

const std::vector<std::uint8_t> kSalt = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const std::string kPassword = "P\xc3\xa4ssw\xc3\xb6rd\xf0\x9f\x98\x80";  // "Pässwörd😀"

TEST(TextEncodingTest, TurnsUtf8IntoUtf16WithSurrogatePairs) {
    EXPECT_EQ(hex(utf16(kPassword)), "5000e400730073007700f600720064003dd800de");
    EXPECT_TRUE(utf16("").empty());
}

TEST(TextEncodingTest, RejectsMalformedUtf8) {
    for (std::string_view bad :
         {"\xff", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "a\x80", "\xf4\x90\x80\x80"})
        EXPECT_FALSE(utf16leFromUtf8(bad).has_value())
            << hex({reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size()});
}

TEST(TextEncodingTest, ReadsWindows1252) {
    const std::uint8_t text[] = {'a', 0x80, 0x9f, 0xe9, 0x81};
    EXPECT_EQ(hex(utf16leFromWindows1252(text)), "6100ac207801e9008100");
}

TEST(OpenSslTest, Rc4MatchesRfc6229ForA40BitKey) {
    const std::uint8_t key[] = {1, 2, 3, 4, 5};
    std::vector<std::uint8_t> stream(16, 0);
    Rc4().apply(key, stream);
    EXPECT_EQ(hex(stream), "b2396305f03dc027ccc3524a0a1118a8");
}

TEST(OpenSslTest, Rc4RunsOneKeystreamAcrossRanges) {
    const std::uint8_t key[] = {1, 2, 3, 4, 5};
    std::vector<std::uint8_t> first(5, 0), second(11, 0);
    Rc4().applyContinuous(key, {first, second});
    EXPECT_EQ(hex(first) + hex(second), "b2396305f03dc027ccc3524a0a1118a8");
}

TEST(KeyDerivationTest, AgileKeyFromSpunSha512) {
    Hasher sha512("SHA512");
    const SecretBytes spun = sha512.iterate(sha512.digest({kSalt, utf16(kPassword)}), 1000);
    const std::uint8_t keyValueBlock[] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};
    EXPECT_EQ(hex(agileKey(sha512, spun, keyValueBlock, 32)),
              "592a279d23e65c1f2e458c669de5b64a6a9b85a553ef0875b31c0468e6e62b60");
}

TEST(KeyDerivationTest, AgilePadsShortHashesWith0x36) {
    Hasher sha1("SHA1");
    const SecretBytes spun = sha1.iterate(sha1.digest({kSalt, utf16(kPassword)}), 1000);
    const std::uint8_t keyValueBlock[] = {0x14, 0x6e, 0x0b, 0xe7, 0xab, 0xac, 0xd0, 0xd6};
    EXPECT_EQ(hex(agileKey(sha1, spun, keyValueBlock, 32)),
              "63216754eb083365251f60b81632abf33acfc78e363636363636363636363636");
    const std::uint8_t block[] = {1, 2, 3, 4};
    EXPECT_EQ(hex(agileIv(sha1, kSalt, block, 16)), "61a0279602d5d57d38ab052be560bd88");
}

TEST(KeyDerivationTest, StandardAesKeyAfter50000Rounds) {
    Hasher sha1("SHA1");
    const SecretBytes spun = sha1.iterate(sha1.digest({kSalt, utf16(kPassword)}), 50000);
    const std::uint8_t blockZero[4] = {};
    EXPECT_EQ(hex(standardAesKey(sha1, spun, blockZero, 32)),
              "526c58c63da98f9388d5eacd833cf9fc6a3c228122cd8b1d3c76484505d97d31");
}

TEST(KeyDerivationTest, CryptoApiRc4KeysAndPageBlocks) {
    Hasher sha1("SHA1");
    const SecretBytes base = sha1.digest({kSalt, utf16(kPassword)});
    const std::uint8_t databaseKey[] = {1, 2, 3, 4};
    const SecretBytes block = pageBlockKey(databaseKey, 7);  // the key XOR page 7, little-endian
    EXPECT_EQ(hex(block), "06020304");
    EXPECT_EQ(hex(cryptoApiRc4Key(sha1, base, block, 40)), "b3410185940000000000000000000000");
    EXPECT_EQ(hex(cryptoApiRc4Key(sha1, base, block, 128)), "b341018594dcb47eac2005bcb4e27b95");
}

const char kDescriptorStart[] =
    "<?xml version='1.0'?><encryption xmlns='http://schemas.microsoft.com/office/2006/encryption'>"
    "<keyData saltSize='16' blockSize='16' keyBits='256' hashSize='64' cipherAlgorithm='AES' "
    "cipherChaining='ChainingModeCBC' hashAlgorithm='SHA512' saltValue='AAECAwQFBgcICQoLDA0ODw=='/>"
    "<keyEncryptors>";
const char kPasswordEncryptor[] =
    "<keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\">"
    "<p:encryptedKey spinCount=\"100000\" saltSize=\"16\" blockSize=\"16\" keyBits=\"256\" "
    "hashSize=\"64\" "
    "cipherAlgorithm=\"AES\" cipherChaining=\"ChainingModeCBC\" hashAlgorithm=\"SHA512\" "
    "saltValue=\"EBESExQVFhcYGRobHB0eHw==\" encryptedVerifierHashInput=\"AAEC\" "
    "encryptedVerifierHashValue=\"AAE=\" encryptedKeyValue=\"A&amp;A=\"/></keyEncryptor>";
const char kCertificateEncryptor[] =
    "<keyEncryptor uri='http://schemas.microsoft.com/office/2006/keyEncryptor/certificate'>"
    "<c:encryptedKey encryptedKeyValue='AAAA' X509Certificate='AAAA'/></keyEncryptor>";

// The descriptor with these key encryptors. (Appended in place: GCC 12 warns, wrongly, about
// chained concatenations of long literals at -O1.)
std::string descriptorWith(std::initializer_list<const char*> encryptors) {
    std::string xml = kDescriptorStart;
    for (const char* encryptor : encryptors) xml += encryptor;
    xml += "</keyEncryptors></encryption>";
    return xml;
}

TEST(AgileDescriptorTest, ReadsThePasswordEncryptorAfterACertificateOne) {
    const std::string xml = descriptorWith({kCertificateEncryptor, kPasswordEncryptor});
    try {
        parseAgileDescriptor(xml);
        FAIL() << "'A&A=' is not base64";
    } catch (const UnreadableProtection& error) {
        EXPECT_STREQ(error.what(),
                     "The agile encryption descriptor of the database is damaged (encryptedKey has "
                     "an invalid "
                     "encryptedKeyValue).");
    }
    std::string valid = xml;
    valid.replace(valid.find("A&amp;A="), 8, "AAAAAAA=");
    const AgileDescriptor descriptor = parseAgileDescriptor(valid);
    EXPECT_EQ(hex(descriptor.keyData.salt), "000102030405060708090a0b0c0d0e0f");
    EXPECT_EQ(hex(descriptor.passwordKey.salt), "101112131415161718191a1b1c1d1e1f");
    EXPECT_EQ(descriptor.passwordKey.spinCount, 100000u);
    EXPECT_EQ(descriptor.keyData.hashAlgorithm, "SHA512");
    EXPECT_EQ(hex(descriptor.passwordKey.encryptedVerifierHashInput), "000102");
    EXPECT_EQ(hex(descriptor.passwordKey.encryptedVerifierHashValue), "0001");
    EXPECT_EQ(descriptor.passwordKey.encryptedKeyValue.size(), 5u);
}

TEST(AgileDescriptorTest, NamesCertificateOnlyEncryption) {
    const std::string xml = descriptorWith({kCertificateEncryptor});
    try {
        parseAgileDescriptor(xml);
        FAIL();
    } catch (const UnreadableProtection& error) {
        EXPECT_NE(std::string(error.what()).find("certificates only"), std::string::npos)
            << error.what();
    }
}

TEST(AgileDescriptorTest, ReportsMissingAndOutOfRangeAttributes) {
    const std::string xml = descriptorWith({kPasswordEncryptor});
    std::string noSpin = xml;
    noSpin.replace(noSpin.find("spinCount=\"100000\""), 18, "");
    std::string hugeSpin = xml;
    hugeSpin.replace(hugeSpin.find("100000"), 6, "99999999");
    std::string wrongSalt = xml;
    wrongSalt.replace(wrongSalt.find("saltSize='16'"), 13, "saltSize='17'");
    for (const std::string& damaged : {noSpin, hugeSpin, wrongSalt}) {
        EXPECT_THROW(parseAgileDescriptor(damaged), UnreadableProtection);
    }
}

// No corpus file has a Jet3 password: write one into a copy of a Jet3 header page.
TEST(JetPasswordTest, Jet3PasswordIsStoredInWindows1252WithoutDateMask) {
    const std::string file = "jackcessencrypt/src/test/data/db97-enc.mdb";
    VELMORA_SKIP_WITHOUT(file);
    const std::filesystem::path path = *corpusFile(file);
    std::vector<std::uint8_t> page(2048);
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(page.data()), 2048);
    const std::uint8_t headerKey[] = {0xc7, 0xda, 0x39, 0x6b};
    const MutableBytes encoded = MutableBytes(page).subspan(HeaderPage::kEncodedStart, 126);
    Rc4().apply(headerKey, encoded);
    const std::uint8_t stored[20] = {'P', 0xe4, 's', 's', 0x80};  // "Päss€" in Windows-1252
    std::copy(std::begin(stored), std::end(stored), page.begin() + HeaderPage::kPasswordOffset);
    Rc4().apply(headerKey, encoded);

    const HeaderPage header(page);
    ASSERT_TRUE(header.isJet3());
    EXPECT_TRUE(jetPasswordMatches(header, utf16("P\xc3\xa4ss\xe2\x82\xac")));
    EXPECT_FALSE(jetPasswordMatches(header, utf16("p\xc3\xa4ss\xe2\x82\xac")));
    EXPECT_FALSE(jetPasswordMatches(header, utf16("P\xc3\xa4ss")));
    EXPECT_FALSE(jetPasswordMatches(header, {}));
}

TEST(HeaderPageTest, ClearingTheDatabaseKeyLeavesTheRestOfThePage) {
    const std::string file = "jackcessencrypt/src/test/data/db2013-enc.accdb";
    VELMORA_SKIP_WITHOUT(file);
    const std::filesystem::path path = *corpusFile(file);
    std::vector<std::uint8_t> page(4096);
    std::ifstream(path, std::ios::binary).read(reinterpret_cast<char*>(page.data()), 4096);
    const HeaderPage before(page);
    ASSERT_TRUE(before.pagesEncoded());
    HeaderPage::clearEncodingKey(page);
    const HeaderPage after(page);
    EXPECT_FALSE(after.pagesEncoded());
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (i >= HeaderPage::kEncodingKeyOffset && i < HeaderPage::kEncodingKeyOffset + 4) continue;
        ASSERT_EQ(before.bytes()[i], after.bytes()[i]) << "offset " << i;
    }
}

}  // namespace
}  // namespace velmora::access::crypto
