#include "cli/BatchManifest.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace velmora {

namespace {

constexpr int kManifestVersion = 1;

QJsonObject header() {
    return {{"manifest", QStringLiteral("velmora-convert batch")},
            {"format_version", kManifestVersion}};
}

QJsonObject toJson(const ManifestEntry& e) {
    QJsonObject line{{"source", e.source},
                     {"folder", e.folder},
                     {"state", e.finished ? QStringLiteral("finished") : QStringLiteral("started")},
                     {"size", e.fingerprint.size},
                     {"modified", e.fingerprint.modified},
                     {"sha256", e.fingerprint.sha256},
                     {"options", e.options}};
    if (e.finished) {
        line.insert("outcome", e.outcome);
        line.insert("record", e.record);
    }
    return line;
}

std::optional<ManifestEntry> fromJson(const QJsonObject& line) {
    ManifestEntry e;
    e.source = line["source"].toString();
    e.folder = line["folder"].toString();
    if (e.source.isEmpty() || e.folder.isEmpty()) return std::nullopt;
    e.finished = line["state"].toString() == QLatin1String("finished");
    e.fingerprint = {line["size"].toInteger(-1), line["modified"].toInteger(),
                     line["sha256"].toString()};
    e.options = line["options"].toArray();
    e.outcome = line["outcome"].toString();
    e.record = line["record"].toObject();
    return e;
}

QByteArray lineOf(const QJsonObject& object) {
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

[[noreturn]] void cannot(const char* what, const QString& path, const QString& why) {
    throw std::runtime_error(std::string("cannot ") + what + " the batch manifest " +
                             path.toStdString() + ": " + why.toStdString());
}

}  // namespace

SourceFingerprint FingerprintOf(const QString& path, bool checksum) {
    const QFileInfo info(path);
    SourceFingerprint print{info.size(), info.lastModified().toMSecsSinceEpoch(), {}};
    if (!checksum) return print;
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (file.open(QIODevice::ReadOnly) && hash.addData(&file))
        print.sha256 = QString::fromLatin1(hash.result().toHex());
    return print;
}

BatchManifest::BatchManifest(const QString& folder) : path_(folder + u'/' + kManifestName) {
    QFile file(path_);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) cannot("read", path_, file.errorString());
        // A line cut short by a kill does not parse and is passed over.
        while (!file.atEnd()) {
            const QJsonObject line = QJsonDocument::fromJson(file.readLine()).object();
            if (auto entry = fromJson(line)) entries_.insert(entry->source, *entry);
        }
    }
    QSaveFile compacted(path_);
    if (!compacted.open(QIODevice::WriteOnly)) cannot("write", path_, compacted.errorString());
    compacted.write(lineOf(header()));
    for (const ManifestEntry& entry : std::as_const(entries_))
        compacted.write(lineOf(toJson(entry)));
    if (!compacted.commit()) cannot("write", path_, compacted.errorString());
}

const ManifestEntry* BatchManifest::find(const QString& source) const {
    const auto it = entries_.constFind(source);
    return it == entries_.constEnd() ? nullptr : &*it;
}

void BatchManifest::record(const ManifestEntry& entry) {
    // One write of a whole line to a file opened for appending: lines never interleave.
    const QByteArray line = lineOf(toJson(entry));
    const int fd = ::open(QFile::encodeName(path_).constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) cannot("write", path_, QString::fromLocal8Bit(std::strerror(errno)));
    const ssize_t written = ::write(fd, line.constData(), static_cast<size_t>(line.size()));
    const int error = errno;
    ::close(fd);
    if (written != line.size())
        cannot("write", path_,
               written < 0 ? QString::fromLocal8Bit(std::strerror(error)) : "disk full");
    entries_.insert(entry.source, entry);
}

}  // namespace velmora
