#pragma once
// The rejects file the windows write beside the tables: every statement the target
// refuses, after its error, in the statement file format, so that it can be fixed and
// executed again. It is made with the first refused statement (a run without refusals
// leaves none), readable by its owner only when the tables are.

#include <QString>
#include <fstream>
#include <string_view>

namespace velmora {

inline constexpr const char* kRejectsFileName = "velmora-rejects.sql";

class RejectsFile {
  public:
    RejectsFile(QString path, bool ownerOnly) : path_(std::move(path)), ownerOnly_(ownerOnly) {}

    void add(std::string_view statement, const QString& error);
    // Flushes; false when anything failed to be written.
    bool finish();

    const QString& path() const { return path_; }
    bool written() const { return count_ > 0; }
    bool failed() const { return failed_; }

  private:
    QString path_;
    bool ownerOnly_;
    std::ofstream file_;
    std::int64_t count_ = 0;
    bool failed_ = false;
};

}  // namespace velmora
