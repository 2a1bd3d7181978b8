#include "cli/BatchSources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace velmora {

namespace {

bool isAccessFile(const QString& path) {
    return path.endsWith(QLatin1String(".mdb"), Qt::CaseInsensitive) ||
           path.endsWith(QLatin1String(".accdb"), Qt::CaseInsensitive);
}

QString withoutExtension(const QString& path) {
    const qsizetype dot = path.lastIndexOf(u'.');
    return dot > path.lastIndexOf(u'/') + 1 ? path.left(dot) : path;
}

QStringList readList(const QString& list) {
    QFile file;
    const bool standardInput = list == QLatin1String("-");
    const bool opened = standardInput ? file.open(stdin, QIODevice::ReadOnly)
                                      : (file.setFileName(list), file.open(QIODevice::ReadOnly));
    if (!opened)
        throw std::runtime_error("cannot read the list " + list.toStdString() + ": " +
                                 file.errorString().toStdString());
    QStringList paths;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(u'\n') || line.endsWith(u'\r')) line.chop(1);
        if (!line.isEmpty()) paths << line;
    }
    return paths;
}

class SourceList {
  public:
    void addArgument(const QString& argument) {
        if (argument.startsWith(u'@')) {
            for (const QString& path : readList(argument.mid(1))) addPath(path);
        } else {
            addPath(argument);
        }
    }
    std::vector<BatchSource> take() { return std::move(sources_); }

  private:
    void addPath(const QString& path) {
        const QFileInfo info(path);
        if (info.isDir()) {
            addFolder(path);
        } else if (!info.exists()) {
            sources_.push_back({path, QDir::cleanPath(info.absoluteFilePath()), QString(),
                                withoutExtension(info.fileName()), false});
        } else {
            add(path, info, withoutExtension(info.fileName()));
        }
    }

    // Links to files count, links to folders are not followed (no loops).
    void addFolder(const QString& folder) {
        QStringList found;
        QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (isAccessFile(path)) found << path;
        }
        std::sort(found.begin(), found.end());
        const QDir root(QFileInfo(folder).absoluteFilePath());
        for (const QString& path : found) {
            const QFileInfo info(path);
            add(path, info, withoutExtension(root.relativeFilePath(info.absoluteFilePath())));
        }
    }

    void add(const QString& shown, const QFileInfo& info, const QString& name) {
        const QString canonical = info.canonicalFilePath();
        if (seen_.contains(canonical)) return;
        seen_.insert(canonical);
        sources_.push_back(
            {shown, QDir::cleanPath(info.absoluteFilePath()), canonical, name, true});
    }

    std::vector<BatchSource> sources_;
    QSet<QString> seen_;
};

}  // namespace

std::vector<BatchSource> FindBatchSources(const QStringList& arguments) {
    SourceList list;
    for (const QString& argument : arguments) list.addArgument(argument);
    return list.take();
}

void FolderNames::take(const QString& name) {
    for (const QString& used : {name, LogFileOf(name), SummaryFileOf(name)})
        used_.insert(used.toLower());
}

bool FolderNames::taken(const QString& name) const {
    for (const QString& used : {name, LogFileOf(name), SummaryFileOf(name)})
        if (used_.contains(used.toLower())) return true;
    return false;
}

QString LogFileOf(const QString& name) {
    return name + QStringLiteral(".log");
}

QString SummaryFileOf(const QString& name) {
    return name + QStringLiteral(".json");
}

}  // namespace velmora
