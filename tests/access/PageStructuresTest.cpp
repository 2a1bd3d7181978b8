// Long values and usage maps on databases built page by page in memory (libmdb opens
// the bytes as it opens a decrypted image), including damaged chains and maps.

#include <gtest/gtest.h>

#include <cstring>

#include "access/LongValue.h"
#include "access/OwnedPages.h"
#include "access/PageFile.h"

namespace velmora::access {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kPage = 4096;

void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    put16(b, at, static_cast<std::uint16_t>(v));
    put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

// The header page of a Jet4 file whose page key decodes to zero, so that libmdb hands
// the other pages over unchanged. (The header area from 0x18 is RC4-masked with a fixed
// key; the database key at 0x3E must equal the key stream there.)
Bytes headerPage() {
    Bytes page(kPage, 0);
    std::memcpy(page.data() + 4, "Standard Jet DB", 15);
    page[0x14] = 1;
    std::uint8_t s[256];
    for (int i = 0; i < 256; ++i) s[i] = static_cast<std::uint8_t>(i);
    const std::uint8_t key[4] = {0xC7, 0xDA, 0x39, 0x6B};
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + key[i % 4]) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < 0x3E - 0x18 + 4; ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        if (n >= 0x3E - 0x18) page[0x18 + n] = s[(s[i] + s[j]) & 0xFF];
    }
    return page;
}

// A data page holding `rows`, stored from the end of the page backwards.
Bytes dataPage(const std::vector<Bytes>& rows) {
    Bytes page(kPage, 0);
    page[0] = page_type::kData;
    page[1] = 1;
    std::memcpy(page.data() + 4, "LVAL", 4);
    put16(page, 12, static_cast<std::uint16_t>(rows.size()));
    std::size_t end = kPage;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        std::memcpy(page.data() + end, rows[i].data(), rows[i].size());
        put16(page, 14 + 2 * i, static_cast<std::uint16_t>(end));
    }
    return page;
}

class SyntheticDatabase : public ::testing::Test {
  protected:
    // Page 0 is the header; the test sets the others.
    void setPages(std::vector<Bytes> pages) {
        Bytes image = headerPage();
        for (const Bytes& p : pages) image.insert(image.end(), p.begin(), p.end());
        file = std::make_unique<PageFile>(
            DatabaseImage{"synthetic", crypto::SecretBytes(image.begin(), image.end())});
    }

    Bytes readLongValue(const Bytes& header) {
        Bytes out;
        LongValueReader(*file).read(ByteSpan(header.data(), header.size()), out);
        return out;
    }

    std::vector<std::uint32_t> ownedPages(RowPointer map) {
        OwnedPages pages(*file, map);
        std::vector<std::uint32_t> numbers;
        for (std::uint32_t n; pages.next(n);) numbers.push_back(n);
        return numbers;
    }

    std::unique_ptr<PageFile> file;
};

// The 12-byte field header: length and kind, then the (row, page) of the data.
Bytes longValueHeader(std::uint32_t lengthAndKind, std::uint8_t row, std::uint32_t page) {
    Bytes h(12, 0);
    put32(h, 0, lengthAndKind);
    h[4] = row;
    h[5] = static_cast<std::uint8_t>(page);
    h[6] = static_cast<std::uint8_t>(page >> 8);
    h[7] = static_cast<std::uint8_t>(page >> 16);
    return h;
}

// A chain link: pointer to the next link, then data.
Bytes link(std::uint8_t nextRow, std::uint32_t nextPage, const std::string& data) {
    Bytes l(4 + data.size());
    put32(l, 0, nextRow | nextPage << 8);
    std::memcpy(l.data() + 4, data.data(), data.size());
    return l;
}

Bytes text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

TEST_F(SyntheticDatabase, LongValueStoredAfterItsHeader) {
    setPages({dataPage({})});
    Bytes header = longValueHeader(0x80000000 | 5, 0, 0);
    header.insert(header.end(), {'h', 'e', 'l', 'l', 'o', 'X'});
    EXPECT_EQ(readLongValue(header), text("hello"));
    header.resize(15);  // shorter than its stated length
    EXPECT_THROW(readLongValue(header), FormatError);
}

TEST_F(SyntheticDatabase, LongValueInOneRowOfAnotherPage) {
    setPages({dataPage({text("first row"), text(std::string("zero\0bytes kept", 15))})});
    EXPECT_EQ(readLongValue(longValueHeader(0x40000000 | 10, 1, 1)),
              text(std::string("zero\0bytes", 10)));
    EXPECT_THROW(readLongValue(longValueHeader(0x40000000 | 100, 1, 1)),
                 FormatError);  // row too short
    EXPECT_THROW(readLongValue(longValueHeader(0x40000000 | 4, 2, 1)), FormatError);  // no such row
    EXPECT_THROW(readLongValue(longValueHeader(0x40000000 | 4, 0, 9)),
                 FormatError);  // past the file
}

TEST_F(SyntheticDatabase, LongValueChainedOverPages) {
    setPages(
        {dataPage({link(0, 2, "abc")}), dataPage({link(1, 2, "def"), link(0, 0, "ghiEXTRA")})});
    EXPECT_EQ(readLongValue(longValueHeader(9, 0, 1)), text("abcdefghi"));
    EXPECT_THROW(readLongValue(longValueHeader(20, 0, 1)), FormatError);  // chain ends too soon
}

TEST_F(SyntheticDatabase, LongValueChainThatLoopsIsRefused) {
    setPages({dataPage({link(0, 2, "ab")}), dataPage({link(0, 1, "cd")})});
    EXPECT_THROW(readLongValue(longValueHeader(1000, 0, 1)), FormatError);
}

TEST_F(SyntheticDatabase, LongValueLongerThanTheFileIsRefused) {
    setPages({dataPage({link(0, 0, "ab")})});
    EXPECT_THROW(readLongValue(longValueHeader(0x3FFFFFFF, 0, 1)), FormatError);
}

TEST_F(SyntheticDatabase, InlineUsageMapNamesPagesFromItsStartPage) {
    Bytes map = {0x00, 100, 0, 0, 0, 0b00000101, 0x00, 0b10000000};
    setPages({dataPage({map})});
    EXPECT_EQ(ownedPages({1, 0}), (std::vector<std::uint32_t>{100, 102, 123}));
}

TEST_F(SyntheticDatabase, ReferenceUsageMapReadsItsBitmapPages) {
    Bytes map(1 + 4 * 3, 0);
    map[0] = 0x01;
    put32(map, 5, 2);  // the second bitmap page covers pages 32736..65471
    Bytes bitmap(kPage, 0);
    bitmap[0] = page_type::kUsageMap;
    bitmap[4] = 0b00000011;
    setPages({dataPage({map}), bitmap});
    EXPECT_EQ(ownedPages({1, 0}), (std::vector<std::uint32_t>{32736, 32737}));
}

// Where the map cannot be read, the pages it covers that the file holds are named one by
// one (the reader keeps those that say they are the table's).
TEST_F(SyntheticDatabase, DamagedUsageMapsNameEveryPageTheyCover) {
    const Bytes empty = dataPage({});
    setPages({dataPage({Bytes{0x07, 0, 0, 0, 0}}), empty, empty});
    EXPECT_EQ(ownedPages({1, 0}), (std::vector<std::uint32_t>{2, 3}));  // unknown kind
    EXPECT_EQ(ownedPages({1, 3}), (std::vector<std::uint32_t>{2, 3}));  // missing row
    EXPECT_EQ(ownedPages({9, 0}), (std::vector<std::uint32_t>{2, 3}));  // past the end
    EXPECT_FALSE(OwnedPages(*file, {1, 0}).damage().empty());

    Bytes map(1 + 4 * 2, 0);
    map[0] = 0x01;
    put32(map, 1, 2);  // the first bitmap page, which is not one
    setPages({dataPage({map}), empty, empty});
    EXPECT_EQ(ownedPages({1, 0}), (std::vector<std::uint32_t>{2, 3}));
}

}  // namespace
}  // namespace velmora::access
