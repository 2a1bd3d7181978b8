#pragma once
// DROP TABLE: removes the table's .db and every other file of its family, also what an
// unfinished rebuild left. Only a Paradox table is removed: a .db file whose header is not
// a table's (a text file, another program's database) is refused and left alone. The
// files are checked and locked first (regular files, writable, not locked), so a refused
// statement removes nothing.

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::paradox {

// The files of a table about to be dropped, held open and locked: no other writer starts
// on them while they wait for their removal (at once, or when a replacement takes their
// place). Closing releases them.
class HeldTable {
  public:
    HeldTable() = default;
    HeldTable(HeldTable&& other) noexcept;
    HeldTable& operator=(HeldTable&& other) noexcept;
    ~HeldTable();

    const std::vector<std::filesystem::path>& files() const { return files_; }
    bool empty() const { return files_.empty(); }
    // Removes the files (the .db first), then releases them.
    void remove();

  private:
    friend HeldTable holdForDrop(const std::filesystem::path&, const std::string&);
    void release();
    std::vector<std::filesystem::path> files_;
    std::vector<int> fds_;
};

// Checks and locks what DROP TABLE would remove; throws when it would refuse.
HeldTable holdForDrop(const std::filesystem::path& folder, const std::string& name);

void dropTable(const std::filesystem::path& folder, const std::string& name);

}  // namespace velmora::paradox
