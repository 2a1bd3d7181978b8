#pragma once
// Where the shared corpus is (VELMORA_CORPUS, else the folder found at configure time)
// and scratch folders for files the tests unpack or damage.

#include <filesystem>
#include <optional>
#include <string>
#include "tests/support/Corpus.h"

namespace velmora::access::testing {

using test::corpusRoot;

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// Decompresses `xzFile` into `folder` with the xz tool; returns the unpacked file.
std::filesystem::path unpackXz(const std::filesystem::path& xzFile,
                               const std::filesystem::path& folder);

// A connection string for `file` in the form the program builds it.
std::string connectionStringFor(const std::filesystem::path& file,
                                const std::string& password = {});

}  // namespace velmora::access::testing
