#pragma once
// Reads what prepareDatabase() hands to libmdb (the file, or the decrypted image in
// memory) straight through libmdb: every user table with its rows as text.

#include <string>
#include <vector>

#include "Protection.h"

namespace velmora::test {

struct TableContents {
    std::string name;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // libmdb's text; NULL reads as ""
};

// Throws std::runtime_error when libmdb cannot open the image or read its catalogue.
std::vector<TableContents> readWithLibmdb(access::DatabaseImage& image);

}  // namespace velmora::test
