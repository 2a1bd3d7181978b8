#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "engine/FolderListing.h"
#include "engine/TargetFolder.h"
#include "tests/support/TestHosts.h"

using namespace velmora;

namespace {
void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}
}  // namespace

TEST(ListFiles, MatchesCaseInsensitivelyIncludingHiddenButNoFolders) {
    QTemporaryDir dir;
    touch(dir.filePath("a.db"));
    touch(dir.filePath("B.DB"));
    touch(dir.filePath(".hidden.db"));
    touch(dir.filePath("c.dbx"));
    QDir(dir.path()).mkdir("folder.db");
    QStringList names = ListFiles(dir.path(), "*.db");
    names.sort();
    EXPECT_EQ(names, (QStringList{".hidden.db", "B.DB", "a.db"}));
    EXPECT_TRUE(ListFiles(dir.filePath("missing"), "*.db").isEmpty());
    EXPECT_FALSE(FileIsOpenable(dir.filePath("folder.db")));
    EXPECT_TRUE(FileIsOpenable(dir.filePath("a.db")));
}

TEST(ListFiles, ListsMoreThanAHundred) {
    QTemporaryDir dir;
    for (int i = 0; i < 101; ++i) touch(dir.filePath(QString("t%1.db").arg(i)));
    EXPECT_EQ(ListFiles(dir.path(), "*.db").size(), 101);
}

TEST(SubDirectories, LevelByLevelWithoutLinksOrUnsafeNames) {
    QTemporaryDir dir;
    QDir root(dir.path());
    root.mkpath("a/a1/a11");
    root.mkpath("b");
    root.mkpath(".hidden");
    root.mkpath("bad\x01name");
    root.mkpath(QString::fromUtf8("日本"));
    root.mkpath(QString::fromUtf8("Müller"));
    ASSERT_EQ(symlink(dir.path().toLocal8Bit().constData(),
                      dir.filePath("a/loop").toLocal8Bit().constData()),
              0);
    NoEventPump pump;
    QStringList folders{dir.path() + "/"};
    GetSubDirectories2016(folders, false, pump);
    EXPECT_EQ(folders.size(), 5);  // itself, a, b, .hidden, Müller
    folders = {dir.path() + "/"};
    GetSubDirectories2016(folders, true, pump);
    const QString base = dir.path() + "/";
    EXPECT_TRUE(folders.contains(base + "a/a1/a11/"));
    EXPECT_FALSE(folders.contains(base + "a/loop/"));
    EXPECT_FALSE(folders.contains(base + QString::fromUtf8("日本/")));
    EXPECT_TRUE(folders.contains(base + QString::fromUtf8("Müller/")));
    // Level order: every first-level folder comes before any second-level one.
    EXPECT_LT(folders.indexOf(base + "b/"), folders.indexOf(base + "a/a1/"));
    EXPECT_EQ(folders.size(), 7);
}

TEST(SubDirectories, UnreadableFolderIsDroppedSilently) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every folder";
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("locked/inner");
    QFile::setPermissions(dir.filePath("locked"), QFileDevice::WriteOwner);
    NoEventPump pump;
    QStringList folders{dir.filePath("locked") + "/"};
    GetSubDirectories2016(folders, true, pump);
    EXPECT_TRUE(folders.isEmpty());
    QFile::setPermissions(dir.filePath("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST(UnsafeFolderName, ControlCharactersQuestionMarkAndOutsideTheCodePage) {
    EXPECT_FALSE(IsUnsafeFolderName(""));
    EXPECT_FALSE(IsUnsafeFolderName(QString::fromUtf8("Café €")));
    EXPECT_TRUE(IsUnsafeFolderName("a?b"));
    EXPECT_TRUE(IsUnsafeFolderName(QString("a") + QChar(0x7F)));
    EXPECT_TRUE(IsUnsafeFolderName(QString("a") + QChar(0x85)));
    EXPECT_TRUE(IsUnsafeFolderName(QString::fromUtf8("Ωmega")));
}

TEST(TargetFolder, TableNamesFromTheFolderTree) {
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("sub");
    touch(dir.filePath("Orders.db"));
    touch(dir.filePath("my.db.backup.db"));
    touch(dir.filePath("~tmp.db"));
    touch(dir.filePath("sub/Orders.DB"));
    touch(dir.filePath("notes.txt"));
    test::Harness h;
    h.inputs.targetFolder = dir.path();
    EXPECT_TRUE(FolderHasDbFiles(h.inputs));
    QStringList list{"stale"};
    FillTargetTableList(list, h.inputs, h.pump);
    list.sort();
    EXPECT_EQ(list, (QStringList{"MY.BACKUP", "ORDERS", "ORDERS"}));
    EXPECT_TRUE(TableFileExists(dir.path(), "orders"));
    EXPECT_FALSE(TableFileExists(dir.path(), "Customers"));

    h.inputs.targetFolder.clear();
    EXPECT_FALSE(FolderHasDbFiles(h.inputs));
    FillTargetTableList(list, h.inputs, h.pump);
    EXPECT_TRUE(list.isEmpty());
}

TEST(TargetFolder, OnlyTildeFileCountsAsTablePresent) {
    QTemporaryDir dir;
    touch(dir.filePath("~tmp.db"));
    test::Harness h;
    h.inputs.targetFolder = dir.path();
    EXPECT_TRUE(FolderHasDbFiles(h.inputs));
    QStringList list;
    FillTargetTableList(list, h.inputs, h.pump);
    EXPECT_TRUE(list.isEmpty());
}

TEST(CopyDB, MovesAFolderWithSpacesWhenTheUserAgrees) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    QTemporaryDir dir;
    const QString spaced = dir.filePath("My Tables");
    QDir().mkpath(spaced + "/sub");
    touch(spaced + "/A.db");
    touch(spaced + "/sub/B.db");

    test::Harness h;
    h.inputs.targetFolder = " " + QDir(dir.path()).path() + "/NoSpaces ";  // only outer spaces
    CopyDB(false, h.inputs, h.prompts);
    EXPECT_TRUE(h.prompts.questions.isEmpty());

    h.inputs.targetFolder = spaced;
    h.prompts.answers = {false};
    CopyDB(true, h.inputs, h.prompts);
    ASSERT_EQ(h.prompts.questions.size(), 1);
    EXPECT_EQ(h.prompts.questions[0],
              "In some cases the software needs to use a folder without spaces.\r\nIs it OK to "
              "create the folder " +
                  home.path() + "/TestDB and put sample db files in it?");
    EXPECT_EQ(h.inputs.targetFolder, spaced);
    EXPECT_FALSE(QFile::exists(home.filePath("TestDB")));

    h.prompts.answers = {true};
    CopyDB(false, h.inputs, h.prompts);
    EXPECT_TRUE(h.prompts.questions.last().contains("put Your db files"));
    EXPECT_EQ(h.inputs.targetFolder, home.path() + "/TestDB");
    EXPECT_TRUE(QFile::exists(home.filePath("TestDB/A.db")));
    EXPECT_TRUE(QFile::exists(home.filePath("TestDB/sub/B.db")));
    EXPECT_TRUE(h.prompts.reports.isEmpty());
    qputenv("HOME", oldHome);
}

TEST(CopyDB, ReadOnlySampleFolderIsOfferedTheCopy) {
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    qputenv("HOME", home.path().toLocal8Bit());
    QTemporaryDir dir;
    const QString samples = dir.filePath("Samples");
    QDir().mkpath(samples);
    touch(samples + "/Regions.db");
    // As root only an immutable folder is read-only.
    const QString lock = "chattr +i '" + samples + "' 2>/dev/null";
    if (std::system(lock.toLocal8Bit().constData()) != 0 && geteuid() == 0) {
        qputenv("HOME", oldHome);
        GTEST_SKIP() << "cannot make a folder read-only here";
    }
    if (geteuid() != 0)
        QFile::setPermissions(samples, QFileDevice::ReadOwner | QFileDevice::ExeOwner);

    test::Harness h;
    h.inputs.targetFolder = samples;
    CopyDB(false, h.inputs, h.prompts);  // a folder of the user's own: asked about spaces only
    EXPECT_TRUE(h.prompts.questions.isEmpty());
    h.prompts.answers = {true};
    CopyDB(true, h.inputs, h.prompts);
    ASSERT_EQ(h.prompts.questions.size(), 1);
    EXPECT_TRUE(h.prompts.questions[0].contains("put sample db files in it?"));
    EXPECT_EQ(h.inputs.targetFolder, home.path() + "/TestDB");
    EXPECT_TRUE(QFile::exists(home.filePath("TestDB/Regions.db")));

    // Undone whether or not it was set (it needs a file system that supports it).
    (void)!std::system(("chattr -i '" + samples + "' 2>/dev/null").toLocal8Bit().constData());
    QFile::setPermissions(samples,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("HOME", oldHome);
}
