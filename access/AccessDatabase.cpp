#include "access/AccessDatabase.h"

#include "access/DatabaseFile.h"
#include "access/Protection.h"

namespace velmora::access {

namespace {
// Page 0 is the header, page 1 the global usage map, page 2 the catalogue definition.
constexpr std::uint32_t kMinimumPages = 3;

[[noreturn]] void unrecognized(const std::string& path, const std::string& detail) {
    throw db::DbError(db::errc::kProviderFailure,
                      "Unrecognized database format '" + path + "' (" + detail + ").");
}
}  // namespace

AccessDatabase::AccessDatabase(std::string path, std::unique_ptr<PageFile> file, int jet3CodePage)
    : path_(std::move(path)),
      file_(std::move(file)),
      text_(file_->format().jet3, file_->format().jet3 && jet3CodePage != 0
                                      ? static_cast<std::uint16_t>(jet3CodePage)
                                      : file_->codePage()),
      indexLeaves_(*file_),
      planHandover_(path_) {}

std::shared_ptr<const AccessDatabase> AccessDatabase::open(const std::string& path,
                                                           const std::string& password,
                                                           int jet3CodePage) {
    checkDatabaseFile(path);
    DatabaseImage image = prepareDatabase(path, password);
    std::unique_ptr<PageFile> file;
    try {
        file = std::make_unique<PageFile>(std::move(image));
    } catch (const FormatError& e) {
        unrecognized(path, e.what());
    }
    if (file->pageCount() < kMinimumPages)
        unrecognized(path, "the file is too short to hold a database");
    std::shared_ptr<AccessDatabase> database(
        new AccessDatabase(path, std::move(file), jet3CodePage));
    database->catalogue_ = Catalogue::read(*database->file_, database->text_);
    // With no table found either, this is no database that can be read (or one encrypted
    // with another key).
    const db::SourceDamage& damage = database->catalogue_.damage();
    if (!damage.catalogue.empty() && damage.recoveredTables.empty() &&
        database->catalogue_.entries().empty())
        unrecognized(path, "its object catalogue cannot be read: " + damage.catalogue +
                               "; the file is damaged, or encrypted");
    return database;
}

}  // namespace velmora::access
