#pragma once
// The passwords of a batch (--password-map): one `PATH-OR-GLOB<TAB>password` a line, read
// like --password-file and never shown. Lines that are empty or start with "#" say nothing.

#include <QString>
#include <optional>
#include <vector>

namespace velmora {

class PasswordMap {
  public:
    PasswordMap() = default;
    // Reads `path` ("-": standard input). Throws std::runtime_error naming the file and the
    // line, never a password.
    explicit PasswordMap(const QString& path);
    ~PasswordMap();
    PasswordMap(const PasswordMap&) = delete;
    PasswordMap& operator=(const PasswordMap&) = delete;

    // The password of the first line whose pattern matches the database at `absolutePath`
    // (or at `shownPath`, as the batch's arguments spell it). A pattern without "/"
    // matches the file name; one that starts with "/" the whole absolute path; any other
    // the path's last folders and name. "*", "?" and "[...]" never match a "/".
    std::optional<QString> find(const QString& absolutePath, const QString& shownPath) const;

  private:
    struct Entry {
        QByteArray pattern;
        QString password;
    };
    std::vector<Entry> entries_;
};

}  // namespace velmora
