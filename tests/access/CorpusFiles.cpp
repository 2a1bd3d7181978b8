#include "tests/access/CorpusFiles.h"

#include <unistd.h>

#include <cstdlib>
#include <stdexcept>

namespace velmora::access::testing {

ScratchFolder::ScratchFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "velmora-access-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path unpackXz(const std::filesystem::path& xzFile,
                               const std::filesystem::path& folder) {
    const std::filesystem::path target = folder / xzFile.stem();
    const std::string command = "xz -dc '" + xzFile.string() + "' > '" + target.string() + "'";
    if (std::system(command.c_str()) != 0)
        throw std::runtime_error("xz failed on " + xzFile.string());
    return target;
}

std::string connectionStringFor(const std::filesystem::path& file, const std::string& password) {
    const std::string path = file.string();
    const bool ace = path.size() >= 5 && path.compare(path.size() - 5, 5, "accdb") == 0;
    return std::string(ace ? "Provider=Microsoft.ACE.OLEDB.12.0"
                           : "PROVIDER=Microsoft.Jet.OLEDB.4.0") +
           ";Data Source=" + path + ";JET OLEDB:Database Password=" + password;
}

}  // namespace velmora::access::testing
