#pragma once
// Tables made inside a transaction are written in a staging folder of their own inside the
// table folder (".velmora-new-XXXXXX": hidden, the owner's only, locked by its session),
// where no reader of the folder meets them half written. At commit each takes its place:
// a journal names the files that come and the files that go, the new files are renamed
// into the folder (the .db first: from then on the table holds the new rows), the old
// table's other files are removed, and the journal last. A writer killed before the
// journal leaves the old table as it was; killed after it, the next session that opens the
// folder finishes the moves from the journal, so the table is the new one, whole.

#include <filesystem>
#include <string>

namespace velmora::paradox {

class StagingFolder {
  public:
    explicit StagingFolder(std::filesystem::path folder) : folder_(std::move(folder)) {}
    ~StagingFolder();
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;

    // Created (and locked) on first use.
    const std::filesystem::path& path();

    // Puts the staged table `name` in place of the folder's table of that name, if any.
    void publish(const std::string& name);
    // Removes the staged files of `name`.
    void discard(const std::string& name);
    // Removes the staging folder (unless a journal could not finish) and unlocks it.
    void close();

  private:
    std::filesystem::path folder_;
    std::filesystem::path path_;
    int lock_ = -1;
};

// Finishes the moves that a killed session's journal names, and removes what a killed
// session staged without committing it. Staging folders of live sessions are left alone.
void recoverStagingFolders(const std::filesystem::path& folder);

// True for the name of a staging folder: listings of the folder pass over it.
bool isStagingFolderName(const std::string& fileName);

}  // namespace velmora::paradox
