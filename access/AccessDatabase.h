#pragma once
// An open Access database: its pages (through libmdb), its text encoding and its object
// catalogue, read once at open. Sessions and the cursors they open share it, so a
// cursor stays valid however long the caller keeps it.

#include <memory>
#include <string>
#include <utility>

#include "access/Catalogue.h"
#include "access/FormatError.h"
#include "access/IndexLeaves.h"
#include "access/PageFile.h"
#include "access/RowPlan.h"
#include "access/TextDecoder.h"
#include "dataaccess/DbError.h"

namespace velmora::access {

class AccessDatabase {
  public:
    // Throws db::DbError with a description naming the file.
    // `jet3CodePage` (not 0) replaces the code page a Jet3 file's header names.
    static std::shared_ptr<const AccessDatabase> open(const std::string& path,
                                                      const std::string& password,
                                                      int jet3CodePage = 0);

    const std::string& path() const { return path_; }
    const PageFile& file() const { return *file_; }
    const TextDecoder& text() const { return text_; }
    const Catalogue& catalogue() const { return catalogue_; }
    // The rows the tables' indexes list, for reading damaged tables.
    const IndexLeaves& indexLeaves() const { return indexLeaves_; }
    PlanHandover& planHandover() const { return planHandover_; }

  private:
    AccessDatabase(std::string path, std::unique_ptr<PageFile> file, int jet3CodePage);

    std::string path_;
    std::unique_ptr<PageFile> file_;
    TextDecoder text_;
    Catalogue catalogue_;
    IndexLeaves indexLeaves_;
    mutable PlanHandover planHandover_;
};

// Runs `read`, turning structural damage met while reading `what` into the provider's
// error: "Could not read <what> of '<path>': the file is damaged (<detail>)."
template <typename Read>
auto readingGuarded(const AccessDatabase& database, const std::string& what, Read&& read)
    -> decltype(read()) {
    try {
        return read();
    } catch (const FormatError& e) {
        throw db::DbError(db::errc::kProviderFailure,
                          "Could not read " + what + " of '" + database.path() +
                              "': the file is damaged (" + e.what() + ").");
    } catch (const std::bad_alloc&) {
        throw db::DbError(db::errc::kProviderFailure,
                          "Not enough memory to read " + what + " of '" + database.path() + "'.");
    }
}

}  // namespace velmora::access
