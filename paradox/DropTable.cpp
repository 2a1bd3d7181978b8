#include "paradox/DropTable.h"

#include <unistd.h>

#include <cerrno>

#include "paradox/CreateTable.h"
#include "paradox/DriverError.h"
#include "paradox/MappedFile.h"
#include "paradox/TableFiles.h"

namespace velmora::paradox {

void dropTable(const std::filesystem::path& folder, const std::string& name) {
    if (locateTable(folder, name).db.empty())
        fail("The table " + inQuotes(name) + " does not exist.");
    checkFolderWritable(folder);
    const auto files = familyFiles(folder, name);
    for (const auto& file : files) ::close(openLockedForWriting(file, file.filename().string()));
    for (const auto& file : files)
        if (::unlink(file.c_str()) != 0 && errno != ENOENT)
            failSystem("Removing " + inQuotes(file.filename().string()), errno);
}

}  // namespace velmora::paradox
