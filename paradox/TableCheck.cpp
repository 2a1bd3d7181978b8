#include "paradox/TableCheck.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

#include "common/text/CodePage.h"
#include "dataaccess/DbError.h"
#include "paradox/ByteOrder.h"
#include "paradox/HeaderLayout.h"
#include "paradox/KeyOrder.h"
#include "paradox/TableFiles.h"
#include "paradox/TableReader.h"
#include "paradox/ValueDecoder.h"

namespace velmora::paradox {

namespace {

std::vector<std::uint8_t> wholeFile(const std::filesystem::path& path) {
    std::vector<std::uint8_t> bytes;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat st {};
    fstat(fd, &st);
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t got =
            pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(done);
    return bytes;
}

struct LeafEntry {
    std::uint16_t block;
    std::uint16_t count;
    std::vector<std::uint8_t> key;
};

class IndexCheck {
  public:
    IndexCheck(const std::vector<std::uint8_t>& file, const TableInfo& table,
               std::vector<std::string>& problems)
        : file_(file), problems_(problems), keyLength_(table.keyLength()) {}

    // The level 1 entries in key order; problems are added on the way.
    std::vector<LeafEntry> leafEntries() {
        std::vector<LeafEntry> leaves;
        IndexInfo info;
        try {
            info = parseIndexHeader(file_.data(), file_.size(), "index");
        } catch (const db::DbError& e) {
            problems_.push_back(std::string("primary index header: ") + e.what());
            return leaves;
        }
        info_ = info;
        if (info.recordSize != keyLength_ + 6) {
            problems_.push_back("primary index entries do not match the key length");
            return leaves;
        }
        const std::size_t physical = (file_.size() - static_cast<std::size_t>(info.headerSize)) /
                                     static_cast<std::size_t>(info.blockSize);
        if (physical != info.fileBlocks)
            problems_.push_back("primary index header block count differs from the file");
        visited_.assign(physical + 1, false);
        if (info.root == 0 || info.levels == 0) {
            if (info.entryCount != 0 || info.levels != 0)
                problems_.push_back("empty primary index has entries or levels");
            return leaves;
        }
        std::vector<std::uint8_t> firstKey;
        visit(info.root, info.levels, leaves, firstKey);
        if (entries_ != info.entryCount)
            problems_.push_back("primary index header entry count is wrong");
        for (std::size_t b = 1; b <= physical; ++b)
            if (!visited_[b])
                problems_.push_back("primary index block " + std::to_string(b) +
                                    " is not in the tree");
        checkChain(physical);
        return leaves;
    }

  private:
    const std::uint8_t* block(std::uint16_t number) const {
        const std::size_t at = static_cast<std::size_t>(info_.headerSize) +
                               static_cast<std::size_t>(number - 1) * info_.blockSize;
        return number == 0 || at + static_cast<std::size_t>(info_.blockSize) > file_.size()
                   ? nullptr
                   : file_.data() + at;
    }
    int entriesIn(const std::uint8_t* b) const {
        const int add = getLe16s(b + hdr::kBlockAddDataSize);
        return add < 0 ? 0 : add / info_.recordSize + 1;
    }
    static std::uint16_t number(const std::uint8_t* p) {
        return static_cast<std::uint16_t>(getBe16(p) ^ 0x8000u);
    }

    // Returns the record count under `number`; `firstKey` receives its first key.
    std::uint16_t visit(std::uint16_t blockNumber, int level, std::vector<LeafEntry>& leaves,
                        std::vector<std::uint8_t>& firstKey) {
        const std::uint8_t* b = block(blockNumber);
        if (!b || visited_[blockNumber]) {
            problems_.push_back("primary index block " + std::to_string(blockNumber) +
                                " is missing or used twice");
            return 0;
        }
        visited_[blockNumber] = true;
        const int n = entriesIn(b);
        if (n == 0)
            problems_.push_back("primary index block " + std::to_string(blockNumber) + " is empty");
        entries_ += static_cast<std::uint32_t>(n);
        std::uint16_t sum = 0;
        for (int i = 0; i < n; ++i) {
            const std::uint8_t* entry = b + hdr::kBlockHeaderSize + i * info_.recordSize;
            const std::vector<std::uint8_t> key(entry, entry + keyLength_);
            const std::uint16_t child = number(entry + keyLength_);
            const std::uint16_t count = number(entry + keyLength_ + 2);
            if (i == 0) firstKey = key;
            if (level <= 1) {
                leaves.push_back({child, count, key});
            } else {
                std::vector<std::uint8_t> childKey;
                const std::uint16_t childSum = visit(child, level - 1, leaves, childKey);
                if (childSum != count)
                    problems_.push_back("primary index entry for index block " +
                                        std::to_string(child) + " has a wrong count");
                if (childKey != key)
                    problems_.push_back("primary index entry for index block " +
                                        std::to_string(child) + " has a wrong key");
            }
            sum = static_cast<std::uint16_t>(sum + count);
        }
        return sum;
    }

    void checkChain(std::size_t physical) {
        std::vector<bool> seen(physical + 1, false);
        std::uint16_t previous = 0;
        std::uint16_t current = info_.firstBlock;
        if (current != info_.root)
            problems_.push_back("the primary index chain does not start at the root");
        std::size_t count = 0;
        while (current != 0) {
            const std::uint8_t* b = block(current);
            if (!b || seen[current]) {
                problems_.push_back("the primary index chain is broken");
                return;
            }
            seen[current] = true;
            ++count;
            if (getLe16(b + hdr::kBlockPrev) != previous)
                problems_.push_back("a primary index block has a wrong back link");
            previous = current;
            current = getLe16(b + hdr::kBlockNext);
        }
        if (count != physical)
            problems_.push_back("the primary index chain does not hold every index block");
        if (previous != info_.lastBlock)
            problems_.push_back("the primary index header names the wrong last block");
    }

    const std::vector<std::uint8_t>& file_;
    std::vector<std::string>& problems_;
    int keyLength_;
    IndexInfo info_;
    std::vector<bool> visited_;
    std::uint32_t entries_ = 0;
};

}  // namespace

std::vector<std::string> checkTable(const std::filesystem::path& folder, const std::string& name) {
    std::vector<std::string> problems;
    const TableFiles files = locateTable(folder, name);
    if (files.db.empty()) return {"the table does not exist"};
    try {
        TableReader reader(files);
        const TableInfo& info = reader.info();
        const auto& chain = reader.chain();
        struct stat st {};
        stat(files.db.c_str(), &st);
        const auto physical =
            (static_cast<std::size_t>(st.st_size) - static_cast<std::size_t>(info.headerSize)) /
            static_cast<std::size_t>(info.blockSize);
        if (info.recordCount != static_cast<std::uint32_t>(reader.recordCount()))
            problems.push_back("the header record count (" + std::to_string(info.recordCount) +
                               ") differs from the blocks (" +
                               std::to_string(reader.recordCount()) + ")");
        if (info.fileBlocks != physical)
            problems.push_back("the header block count differs from the file size");
        const std::uint16_t first = chain.empty() ? 0 : chain.front().number;
        const std::uint16_t last = chain.empty() ? 0 : chain.back().number;
        if (info.firstBlock != first || info.lastBlock != last)
            problems.push_back("the header names the wrong first or last block");

        std::vector<LeafEntry> leaves;
        if (info.keyed()) {
            if (files.px.empty())
                problems.push_back("the primary index file is missing");
            else {
                const std::vector<std::uint8_t> px = wholeFile(files.px);
                leaves = IndexCheck(px, info, problems).leafEntries();
                if (leaves.size() != chain.size())
                    problems.push_back("the primary index has " + std::to_string(leaves.size()) +
                                       " level 1 entries for " + std::to_string(chain.size()) +
                                       " data blocks");
            }
        }
        const KeyOrder order(info);
        const auto size = static_cast<std::size_t>(info.recordSize);
        std::vector<std::uint8_t> previousKey;
        std::uint16_t previousBlock = 0;
        const text::CodePage& codePage = text::CodePage::forNumber(info.codePage);
        db::Value scratch;
        for (std::size_t i = 0; i < chain.size(); ++i) {
            const std::uint8_t* records = reader.readBlock(i);
            const std::uint8_t* blockStart = records - hdr::kBlockHeaderSize;
            if (getLe16(blockStart + hdr::kBlockPrev) != previousBlock)
                problems.push_back("data block " + std::to_string(chain[i].number) +
                                   " has a wrong back link");
            previousBlock = chain[i].number;
            if (chain[i].records == 0)
                problems.push_back("data block " + std::to_string(chain[i].number) + " is empty");
            for (int r = 0; r < chain[i].records; ++r) {
                const std::uint8_t* record = records + static_cast<std::size_t>(r) * size;
                if (info.keyed()) {
                    if (!previousKey.empty() && order.compare(previousKey.data(), record) >= 0)
                        problems.push_back("keys are out of order in data block " +
                                           std::to_string(chain[i].number));
                    previousKey.assign(record, record + size);
                }
                for (const auto& field : info.fields)
                    if (isBlob(field.type))
                        decodeField(record, field, codePage, reader.blobFile(), name, scratch);
            }
            if (i < leaves.size()) {
                const LeafEntry& leaf = leaves[i];
                if (leaf.block != chain[i].number)
                    problems.push_back("primary index entry " + std::to_string(i + 1) +
                                       " points to block " + std::to_string(leaf.block) +
                                       " instead of " + std::to_string(chain[i].number));
                if (leaf.count != static_cast<std::uint16_t>(chain[i].records))
                    problems.push_back("primary index entry for data block " +
                                       std::to_string(chain[i].number) +
                                       " has a wrong record count");
                if (chain[i].records > 0 &&
                    std::memcmp(leaf.key.data(), records, leaf.key.size()) != 0)
                    problems.push_back("primary index entry for data block " +
                                       std::to_string(chain[i].number) + " has a wrong key");
            }
        }
    } catch (const db::DbError& e) {
        problems.push_back(e.what());
    }
    return problems;
}

}  // namespace velmora::paradox
