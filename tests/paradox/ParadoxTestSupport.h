#pragma once
// Shared helpers of the Paradox driver tests: scratch folders, a connection to them,
// reading tables back, byte snapshots of a folder, copies from the corpus and pxlib as an
// independent reader.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "dataaccess/Connection.h"
#include "dataaccess/Value.h"

namespace velmora::paradox::test {

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

std::string connectionString(const std::filesystem::path& folder);

// An open connection to `folder`.
class Target {
  public:
    explicit Target(const std::filesystem::path& folder);
    void run(const std::string& statement) { connection.execute(statement); }
    std::vector<std::vector<db::Value>> rows(const std::string& table);
    std::int64_t count(const std::string& table);
    db::Connection connection;
};

// The description of the error `statement` fails with; fails the test when it succeeds
// or the description lacks "SQLException".
std::string errorOf(Target& target, const std::string& statement);

using FolderBytes = std::map<std::string, std::vector<char>>;
FolderBytes snapshot(const std::filesystem::path& folder);

// Copies the corpus file `relative` (and its family files) into `folder`.
void copyFromCorpus(const std::filesystem::path& corpusFolder, const std::string& tableFile,
                    const std::filesystem::path& folder);

// A value as pxlib reads it: nothing for blank, otherwise a number or the raw text.
struct PxValue {
    bool blank = true;
    double number = 0;
    std::string text;
};
struct PxTable {
    std::vector<std::string> names;
    std::vector<int> types;
    std::vector<std::vector<PxValue>> rows;
};
// Reads a .db file (without .mb) with pxlib; with a target encoding, pxlib converts
// text from the code page the header names.
PxTable readWithPxlib(const std::filesystem::path& dbFile, const char* targetEncoding = nullptr);

db::Value dateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                   int ms = 0);

}  // namespace velmora::paradox::test
