#include "paradox/ParadoxDriver.h"

#include <sys/stat.h>

#include <string>

#include "dataaccess/DbError.h"
#include "dataaccess/ProviderDirectory.h"
#include "paradox/CreateTable.h"
#include "paradox/DriverSession.h"
#include "paradox/TableFiles.h"

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

class Driver final : public db::Provider {
  public:
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
