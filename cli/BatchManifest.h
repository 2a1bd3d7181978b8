#pragma once
// The record a batch keeps in its target folder (velmora-batch.manifest), so that a run
// of the same batch skips what an earlier one converted completely. One JSON object a
// line, appended as each database starts and ends, so that a kill at any moment loses at
// most the line being written; the last line of a source counts.

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace velmora {

inline constexpr char kManifestName[] = "velmora-batch.manifest";

// What a source file was when it was converted.
struct SourceFingerprint {
    qint64 size = -1;
    qint64 modified = 0;  // milliseconds since 1970
    QString sha256;       // empty: not computed
    bool operator==(const SourceFingerprint&) const = default;
};

// Size and time without reading the file; with `checksum` also its SHA-256.
SourceFingerprint FingerprintOf(const QString& path, bool checksum);

struct ManifestEntry {
    QString source;  // canonical path
    QString folder;  // subfolder name
    bool finished = false;
    SourceFingerprint fingerprint;
    QJsonArray options;  // the options that shape the tables
    QString outcome;
    QJsonObject record;  // the database's line of the batch summary, when finished
};

class BatchManifest {
  public:
    // Reads `folder`'s manifest, if any, and writes it back with one line per source.
    // Throws std::runtime_error when it cannot be read or written.
    explicit BatchManifest(const QString& folder);
    const ManifestEntry* find(const QString& source) const;
    const QHash<QString, ManifestEntry>& entries() const { return entries_; }
    // Appends and keeps `entry`; throws when it cannot be written.
    void record(const ManifestEntry& entry);
    QString path() const { return path_; }

  private:
    QString path_;
    QHash<QString, ManifestEntry> entries_;
};

}  // namespace velmora
