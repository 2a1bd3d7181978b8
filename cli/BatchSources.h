#pragma once
// The databases a batch converts, from its arguments: a file is one database, a folder
// every .mdb and .accdb below it, "@LIST" every path LIST names (one a line, "@-" for
// standard input; relative paths from the current folder), each of them a file or folder.

#include <QSet>
#include <QString>
#include <QStringList>
#include <vector>

namespace velmora {

struct BatchSource {
    QString shown;      // as the arguments or the list spell it, or the folder's path joined
    QString absolute;   // absolute and clean, for the password map
    QString canonical;  // with links resolved: the same file under every spelling
    QString name;       // the subfolder it wants: its path below its folder, no extension
    bool found = true;  // false: no such file or folder
};

// Every database once, in the arguments' order, a folder's files by path. Throws
// std::runtime_error when a list cannot be read.
std::vector<BatchSource> FindBatchSources(const QStringList& arguments);

// Subfolder names of one target folder, each different from the others in letter case
// too, and from the files a database's folder has beside it (NAME.log, NAME.json).
class FolderNames {
  public:
    // Marks `name` as used, also when it already was (a name an earlier run gave).
    void take(const QString& name);
    bool taken(const QString& name) const;
    // `wanted` when it is free, else the first free of wanted-2, wanted-3, ...; `occupied`
    // says whether a path is already used by something that is not the batch's.
    template <typename Occupied>
    QString claim(const QString& wanted, Occupied occupied) {
        QString name = wanted;
        for (int n = 2; taken(name) || occupied(name); ++n)
            name = wanted + u'-' + QString::number(n);
        take(name);
        return name;
    }

  private:
    QSet<QString> used_;  // folded to lower case
};

// The files a database's subfolder `name` has beside it in the target folder.
QString LogFileOf(const QString& name);
QString SummaryFileOf(const QString& name);

}  // namespace velmora
