#include "paradox/ParadoxDriver.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "dataaccess/DbError.h"
#include "dataaccess/ProviderDirectory.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverSession.h"
#include "paradox/TableFiles.h"
#include "paradox/TableHeader.h"

namespace velmora::paradox {

namespace {

[[noreturn]] void refuse(const std::string& message) {
    throw db::DbError(db::errc::kProviderFailure, "[Paradox Driver] " + message);
}

std::string trimmed(std::string text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
    while (!text.empty() && text.front() == ' ') text.erase(text.begin());
    return text;
}

// Headers of every level fit in this; a table's field list follows the fixed part.
constexpr std::streamsize kHeaderRead = 64 * 1024;

bool isParadoxTable(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::vector<char> head(kHeaderRead);
    file.read(head.data(), kHeaderRead);
    head.resize(static_cast<std::size_t>(file.gcount()));
    try {
        parseTableHeader(reinterpret_cast<const std::uint8_t*>(head.data()), head.size(), path);
        return true;
    } catch (const std::exception& e) {
        // An encrypted table is still a table; the driver says so when it is opened.
        return std::string_view(e.what()).find("is encrypted") != std::string_view::npos;
    }
}

class Driver final : public db::Provider {
  public:
    bool isTableFile(const std::string& path) override { return isParadoxTable(path); }

    std::unique_ptr<db::Session> connect(const db::ConnectionString& settings) override {
        std::string folder = settings.value("Dbq");
        if (folder.empty()) folder = settings.value("DefaultDir");
        if (folder.empty()) refuse("The connection string names no folder (Dbq=...).");
        while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
            folder.pop_back();
        const std::string level = trimmed(settings.value("Fil"));
        if (!level.empty() && !sameNameIgnoringCase(level, "Paradox 5.X"))
            refuse("This driver writes Paradox 5.X tables; the connection string asks for " +
                   level + ".");
        const std::string collation = trimmed(settings.value("CollatingSequence"));
        if (!collation.empty() && !sameNameIgnoringCase(collation, "ASCII"))
            refuse(
                "This driver writes tables with the ASCII collating sequence; the connection "
                "string asks for " +
                collation + ".");
        struct stat st {};
        if (stat(folder.c_str(), &st) != 0)
            refuse("The Paradox folder \"" + folder + "\" does not exist.");
        if (!S_ISDIR(st.st_mode)) refuse("\"" + folder + "\" is not a folder.");
        const bool ownerOnly = trimmed(settings.value("OwnerOnly")) == "1";
        return std::make_unique<DriverSession>(folder,
                                               ownerOnly ? kOwnerOnlyFileMode : kTableFileMode);
    }
};

}  // namespace

std::unique_ptr<db::Provider> createDriver() {
    return std::make_unique<Driver>();
}

void registerDriver() {
    static const bool registered = [] {
        db::registerBuiltInDriver("paradox", [] {
            static std::shared_ptr<db::Provider> driver = createDriver();
            return driver;
        });
        return true;
    }();
    (void)registered;
}

}  // namespace velmora::paradox
