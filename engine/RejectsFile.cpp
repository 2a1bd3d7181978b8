#include "engine/RejectsFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>

#include "engine/StatementLines.h"

namespace velmora {

void RejectsFile::add(std::string_view statement, const QString& error) {
    if (failed_) return;
    if (!file_.is_open()) {
        const QByteArray name = QFile::encodeName(path_);
        // Made private before the first statement, with its values, lands in it.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd < 0 || (ownerOnly_ && fchmod(fd, 0600) != 0)) {
            if (fd >= 0) ::close(fd);
            failed_ = true;
            return;
        }
        ::close(fd);
        file_.open(name.toStdString(), std::ios::binary | std::ios::trunc);
        if (!file_) {
            failed_ = true;
            return;
        }
    }
    WriteRefusedStatement(file_, statement, error);
    ++count_;
}

bool RejectsFile::finish() {
    if (!file_.is_open()) return !failed_;
    file_.flush();
    failed_ = failed_ || !file_;
    file_.close();
    return !failed_;
}

}  // namespace velmora
