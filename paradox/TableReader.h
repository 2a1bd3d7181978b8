#pragma once
// Reading a table with plain reads, following its chain of data blocks: records come in
// key order for keyed tables, in insertion order otherwise. Any number of readers may
// work beside a writer; a table that looks damaged while another program holds its write
// lock is read again for a short while, and is reported as being written, never as damaged.

#include <cstdint>
#include <string>
#include <vector>

#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

class TableReader {
  public:
    // Opens the table and walks its block chain; throws when the chain is damaged.
    explicit TableReader(const TableFiles& files);
    // The table's header alone (its fields, key and code page), without the chain: one
    // read instead of one a block.
    static TableInfo infoOf(const TableFiles& files);
    ~TableReader();
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    const TableInfo& info() const { return info_; }
    const std::string& name() const { return files_.name; }
    std::int64_t recordCount() const { return records_; }

    struct ChainBlock {
        std::uint16_t number;
        int records;
    };
    const std::vector<ChainBlock>& chain() const { return chain_; }
    // The records of the chain's block `index`, read into an internal buffer.
    const std::uint8_t* readBlock(std::size_t index);
    // The .mb file descriptor, opened on first use; -1 when the table has none.
    int blobFile();

  private:
    enum class Reach { Header, Chain };
    TableReader(const TableFiles& files, Reach reach);
    void readHeader();
    void readChain();
    bool lockedByWriter() const;
    [[noreturn]] void failBeingWritten() const;
    void readAt(void* buffer, std::size_t length, std::uint64_t at) const;
    [[noreturn]] void damaged(const std::string& why) const;

    TableFiles files_;
    TableInfo info_;
    int fd_ = -1;
    int mbFd_ = -1;
    bool mbTried_ = false;
    bool retrying_ = false;
    std::vector<ChainBlock> chain_;
    std::int64_t records_ = 0;
    std::uint64_t size_ = 0;  // of the file, when its header was read
    std::vector<std::uint8_t> buffer_;
};

}  // namespace velmora::paradox
