#include "bench/BatchRuns.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>

#include "bench/support/ChildProcess.h"
#include "cli/PasswordMap.h"

namespace velmora::bench {

namespace {

// The counts a batch's totals add up from its databases' own summaries.
const char* const kCounts[] = {
    "tables",       "tables_written",  "rows_read",         "rows_written",
    "rows_refused", "rows_unreadable", "statements_failed", "errors_reported"};

// The README's "Passwords" table as a password map: "a/b/x.mdb, y.mdb | `pw`" gives a line
// for a/b/x.mdb and one for a/b/y.mdb; rows without a password in backticks give none.
int writePasswordMap(const QString& readme, const QString& path) {
    QFile in(readme);
    QFile out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly)) return 0;
    const QRegularExpression password(QStringLiteral("`([^`]+)`"));
    bool inSection = false;
    int lines = 0;
    for (const QString& line : QString::fromUtf8(in.readAll()).split(u'\n')) {
        if (line.startsWith(QLatin1String("## "))) inSection = line.contains("Passwords");
        if (!inSection || !line.startsWith(QLatin1String("| "))) continue;
        const QStringList cells = line.split(u'|');
        if (cells.size() < 4) continue;
        const auto found = password.match(cells[2]);
        if (!found.hasMatch()) continue;
        QString folder;
        for (QString file : cells[1].split(u',')) {
            file = file.trimmed();
            if (file.contains(u'/'))
                folder = file.left(file.lastIndexOf(u'/') + 1);
            else
                file.prepend(folder);
            out.write((file + u'\t' + found.captured(1) + u'\n').toUtf8());
            ++lines;
        }
    }
    return lines;
}

QStringList databasesBelow(const QString& folder) {
    QStringList files;
    QDirIterator it(folder, {"*.mdb", "*.accdb"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    std::sort(files.begin(), files.end());
    return files;
}

bool writeList(const QString& path, const QStringList& files) {
    QFile list(path);
    if (!list.open(QIODevice::WriteOnly)) return false;
    for (const QString& file : files) list.write(file.toUtf8() + '\n');
    return true;
}

QJsonObject readJson(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

struct Batch {
    ChildRun run;
    QJsonObject summary;
};

Batch runBatch(const QString& bin, const QString& list, const QString& map, const QString& into,
               const QString& jobs) {
    const QString json = into + ".json";
    const std::string errors = (into + ".errors").toStdString();
    Batch batch;
    batch.run =
        RunChild({(bin + "/velmora-convert").toStdString(), "--batch", ("@" + list).toStdString(),
                  "--into", into.toStdString(), "--password-map", map.toStdString(), "-j",
                  jobs.toStdString(), "-q", "--summary-file", json.toStdString()},
                 "/dev/null", errors.c_str());
    batch.summary = readJson(json);
    return batch;
}

QString outcomes(const QJsonObject& totals) {
    QStringList parts;
    for (const char* key : {"complete", "skipped", "incomplete", "not_started", "no_password",
                            "crashed", "interrupted", "not_reached", "not_found"})
        if (totals[key].toInt() > 0)
            parts << QStringLiteral("%1 %2").arg(totals[key].toInt()).arg(key);
    return parts.join(QStringLiteral(", "));
}

// Each database converted on its own, with its password from the same map; the sums of
// their summaries' totals.
QJsonObject singleRunTotals(const QString& bin, const QStringList& files, const QString& map,
                            const QString& work) {
    const PasswordMap passwords(map);
    QJsonObject sums;
    for (const char* key : kCounts) sums.insert(key, 0);
    int n = 0;
    for (const QString& file : files) {
        const QString target = work + QStringLiteral("/single/%1").arg(++n);
        const QString json = target + ".json";
        std::vector<std::string> args{(bin + "/velmora-convert").toStdString(), "-q",
                                      "--new-folder", "--summary-file", json.toStdString()};
        if (auto password = passwords.find(QFileInfo(file).absoluteFilePath(), file)) {
            const QString passwordFile = target + ".pw";
            QFile out(passwordFile);
            out.open(QIODevice::WriteOnly);
            out.write(password->toUtf8() + '\n');
            out.close();
            args.insert(args.end(), {"--password-file", passwordFile.toStdString()});
        }
        args.insert(args.end(), {"--", file.toStdString(), target.toStdString()});
        RunChild(args, "/dev/null", "/dev/null");
        const QJsonObject totals = readJson(json)["totals"].toObject();
        for (const char* key : kCounts)
            sums.insert(key, sums[key].toInteger() + totals[key].toInteger());
    }
    return sums;
}

}  // namespace

bool MeasureBatches(const QString& corpus, const QString& unpacked, const QString& work,
                    const QString& bin) {
    QDir().mkpath(work);
    const QString map = work + "/passwords";
    const int mapped = writePasswordMap(corpus + "/access/README.md", map);
    const QStringList all = databasesBelow(corpus + "/access") + databasesBelow(unpacked);
    const QString allList = work + "/all.list";
    QStringList small;
    for (const QString& file : all)
        if (QFileInfo(file).size() < 1024 * 1024) small << file;
    const QString smallList = work + "/small.list";
    if (!writeList(allList, all) || !writeList(smallList, small)) return false;

    // The whole corpus in one command, then once more: nothing complete is converted again.
    const Batch whole = runBatch(bin, allList, map, work + "/all", "2");
    const Batch again = runBatch(bin, allList, map, work + "/all", "2");
    const QJsonObject totals = whole.summary["totals"].toObject();
    const QJsonObject resumed = again.summary["totals"].toObject();
    std::printf(
        "batch, whole corpus:      %d databases (%d password lines in the map) in %.2f s, exit "
        "%d: %s\n",
        totals["databases"].toInt(), mapped, whole.run.seconds, whole.run.exitCode,
        outcomes(totals).toUtf8().constData());
    std::printf("batch, same command again: %.2f s, exit %d: %s\n", again.run.seconds,
                again.run.exitCode, outcomes(resumed).toUtf8().constData());
    bool ok = totals["databases"].toInt() == all.size() && totals["no_password"].toInt() == 0 &&
              totals["crashed"].toInt() == 0 &&
              resumed["skipped"].toInt() == totals["complete"].toInt() &&
              resumed["complete"].toInt() == totals["complete"].toInt();

    // The batch's totals against the sums of single runs.
    const QJsonObject singles = singleRunTotals(bin, all, map, work);
    QStringList differing;
    for (const char* key : kCounts)
        if (singles[key] != totals[key]) differing << key;
    std::printf(
        "batch totals vs %lld single runs: %s (rows written %lld, refused %lld)\n",
        static_cast<long long>(all.size()),
        differing.isEmpty() ? "equal" : ("differ in " + differing.join(u' ')).toUtf8().constData(),
        static_cast<long long>(totals["rows_written"].toInteger()),
        static_cast<long long>(totals["rows_refused"].toInteger()));
    ok = ok && differing.isEmpty();

    // One against two at a time over the small databases, each twice in the order
    // 1 2 2 1 so that a drift in the machine's load weighs on both alike.
    double one = 0, two = 0;
    int round = 0;
    for (const char* jobs : {"1", "2", "2", "1"}) {
        const Batch b =
            runBatch(bin, smallList, map, work + QStringLiteral("/small-%1").arg(++round),
                     QString::fromLatin1(jobs));
        (jobs[0] == '1' ? one : two) += b.run.seconds;
        ok = ok && b.summary["totals"].toObject()["databases"].toInt() == small.size();
    }
    std::printf(
        "batch, %lld small databases (< 1 MiB): -j 1 %.2f s, -j 2 %.2f s (means of two); "
        "ratio -j 2 / -j 1: %.2f (target <= 0.7)\n",
        static_cast<long long>(small.size()), one / 2, two / 2, two / one);
    return ok;
}

}  // namespace velmora::bench
