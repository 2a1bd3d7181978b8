// Stored text to UTF-8: Access's compressed unicode, UTF-16 surrogates, Jet3 code pages.

#include <gtest/gtest.h>

#include "access/TextDecoder.h"

namespace velmora::access {
namespace {

std::string decoded(const TextDecoder& decoder, std::vector<std::uint8_t> bytes) {
    std::string out = "stale";
    decoder.decode(ByteSpan(bytes.data(), bytes.size()), out);
    return out;
}

const TextDecoder kJet4(false, 0);

TEST(CompressedUnicode, SwitchesBetweenOneByteAndUtf16Runs) {
    // "ab", switch, U+4F60 U+597D, switch, "c!"
    EXPECT_EQ(decoded(kJet4, {0xFF, 0xFE, 'a', 'b', 0x00, 0x60, 0x4F, 0x7D, 0x59, 0x00, 'c', '!'}),
              "ab\u4F60\u597Dc!");
    for (std::size_t run = 0; run < 20; ++run) {  // long one-byte runs, Latin-1 at any place
        std::vector<std::uint8_t> bytes = {0xFF, 0xFE};
        bytes.insert(bytes.end(), run, 'a');
        bytes.push_back(0xE9);
        bytes.insert(bytes.end(), run * 2, 'b');
        bytes.insert(bytes.end(), {0x00, 0x60, 0x4F});
        EXPECT_EQ(decoded(kJet4, bytes),
                  std::string(run, 'a') + "\u00E9" + std::string(run * 2, 'b') + "\u4F60");
    }
}

TEST(CompressedUnicode, MayEndInUtf16ModeAndCarryLatin1) {
    // U+1F60A: a surrogate pair without zero bytes, as compressed runs require
    EXPECT_EQ(decoded(kJet4, {0xFF, 0xFE, 0xE9, 0x00, 0x3D, 0xD8, 0x0A, 0xDE}), "\u00E9\U0001F60A");
}

TEST(CompressedUnicode, HeaderAloneIsEmptyText) {
    EXPECT_EQ(decoded(kJet4, {0xFF, 0xFE}), "");
}

TEST(Utf16Text, SurrogatePairsBecomeOneCodePoint) {
    EXPECT_EQ(decoded(kJet4, {'x', 0, 0x3D, 0xD8, 0x00, 0xDE, 'y', 0}), "x\U0001F600y");
}

TEST(Utf16Text, BrokenUnitsBecomeReplacementCharacters) {
    EXPECT_EQ(decoded(kJet4, {0x3D, 0xD8, 'a', 0}), "\uFFFDa");  // lone high surrogate
    EXPECT_EQ(decoded(kJet4, {0x00, 0xDE}), "\uFFFD");           // lone low surrogate
    EXPECT_EQ(decoded(kJet4, {'a', 0, 'b'}), "a\uFFFD");         // odd trailing byte
}

TEST(Utf16Text, EmptyValueStaysEmptyAndKeepsZeroCharacters) {
    EXPECT_EQ(decoded(kJet4, {}), "");
    EXPECT_EQ(decoded(kJet4, {0, 0, 'a', 0}), std::string("\0a", 2));
}

TEST(Jet3Text, UsesTheHeaderCodePage) {
    const TextDecoder windows1252(true, 1252);
    EXPECT_EQ(decoded(windows1252, {0x80, ' ', 0xE9, 0x9C}), "\u20AC \u00E9\u0153");
    const TextDecoder cyrillic(true, 1251);
    EXPECT_EQ(decoded(cyrillic, {0xC0, 0xE1}), "\u0410\u0431");
}

TEST(Jet3Text, NoCodePageMeansWindows1252) {
    const TextDecoder none(true, 0);
    EXPECT_EQ(none.codePage(), 1252);
    EXPECT_EQ(decoded(none, {0x80}), "\u20AC");
}

TEST(Jet3Text, UnknownCodePageFallsBackToWindows1252) {
    const TextDecoder unknown(true, 9);
    EXPECT_EQ(unknown.codePage(), 1252);
    EXPECT_EQ(decoded(unknown, {'o', 'k', 0xE9}), "ok\u00E9");
}

TEST(Jet3Text, DoubleByteCodePages) {
    const TextDecoder gbk(true, 936);
    EXPECT_EQ(decoded(gbk, {'G', 'B', 'K', 0xB1, 0xE0, 0xC2, 0xEB}), "GBK\u7F16\u7801");
}

TEST(ObjectNames, AreNeverCompressed) {
    const std::vector<std::uint8_t> bytes = {0xFF, 0xFE, 'a', 0};
    EXPECT_EQ(kJet4.decodeName(ByteSpan(bytes.data(), bytes.size())), "\uFEFFa");
}

}  // namespace
}  // namespace velmora::access
