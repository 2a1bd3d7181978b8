// The real program started as a separate process: without its Access provider it
// explains what to install and ends before its window shows; with it, the window shows.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/mainwindow/TestGroups.h"

#include "common/AppInfo.h"
#include "common/Helpers.h"
#include "engine/SourceConnection.h"

namespace velmora::test {

class ProcessTest final : public QObject {
    Q_OBJECT
  private slots:
    void withProviderTheWindowShows();
    void installedProgramFindsItsFiles();
    void missingProviderEndsBeforeTheWindowShows_data();
    void missingProviderEndsBeforeTheWindowShows();

  private:
    struct Outcome {
        int exitCode = -1;
        QString errors;
    };
    Outcome run(const QString& program, const QTemporaryDir& dir,
                const QStringList& extraEnvironment);
};

ProcessTest::Outcome ProcessTest::run(const QString& program, const QTemporaryDir& dir,
                                      const QStringList& extraEnvironment) {
    // A fake xdg-open records the pages the program opens.
    const QString fakeBin = dir.filePath("fakebin");
    QDir().mkpath(fakeBin);
    QFile opener(fakeBin + "/xdg-open");
    opener.open(QIODevice::WriteOnly);
    opener.write(
        ("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + dir.filePath("opened.txt") + "'\n").toUtf8());
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("QT_PLUGIN_PATH", VELMORA_TEST_PLUGIN_DIR);
    env.insert("QT_QPA_GENERIC_PLUGINS", "velmoramodalcloser");
    env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
    env.insert("HOME", dir.filePath("home"));
    env.insert("PATH", fakeBin + u':' + env.value("PATH"));
    for (const QString& setting : extraEnvironment)
        env.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(program, {});
    Outcome outcome;
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
        outcome.errors = "did not end: " + QString::fromUtf8(process.readAllStandardError());
        return outcome;
    }
    outcome.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    outcome.errors = QString::fromUtf8(process.readAllStandardError());
    return outcome;
}

void ProcessTest::withProviderTheWindowShows() {
    QTemporaryDir dir;
    const Outcome outcome = run(ProgramFolder() + "/velmora", dir, {"VELMORA_TEST_CLOSE_SHOWN=1"});
    QVERIFY2(outcome.errors.contains("SHOWN\tForm1\n"), qPrintable(outcome.errors));
    QVERIFY2(!outcome.errors.contains("MODAL\t"), qPrintable(outcome.errors));
    QCOMPARE(outcome.exitCode, 0);
}

void ProcessTest::installedProgramFindsItsFiles() {
    QTemporaryDir dir;
    const QString prefix = dir.filePath("prefix");
    QProcess install;
    install.start(VELMORA_CMAKE_COMMAND, {"--install", VELMORA_BUILD_DIR, "--prefix", prefix});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    const QString folder = prefix + "/lib/velmora";
    for (const QString name : {"velmora", "provider/libvelmora-access.so", "HAND-M.CUR",
                               "Samples/sample.mdb", "velmora.png"})
        QVERIFY2(QFile::exists(folder + u'/' + name), qPrintable(name));
    QVERIFY(QFile::exists(prefix + "/share/applications/velmora.desktop"));
    QVERIFY(QFile::exists(prefix + "/share/icons/hicolor/64x64/apps/velmora.png"));
    QCOMPARE(QFileInfo(prefix + "/bin/velmora").canonicalFilePath(),
             QFileInfo(folder + "/velmora").canonicalFilePath());
    // Started through the link, it finds its provider beside it and shows its window.
    const Outcome outcome = run(prefix + "/bin/velmora", dir, {"VELMORA_TEST_CLOSE_SHOWN=1"});
    QVERIFY2(outcome.errors.contains("SHOWN\tForm1\n"), qPrintable(outcome.errors));
    QVERIFY2(!outcome.errors.contains("MODAL\t"), qPrintable(outcome.errors));
    QCOMPARE(outcome.exitCode, 0);
    // The command line in the binary folder finds the same provider.
    QProcess list;
    list.start(prefix + "/bin/velmora-convert", {"--list", folder + "/Samples/sample.mdb"});
    QVERIFY(list.waitForFinished(60000));
    QVERIFY2(list.exitCode() == 0, list.readAllStandardError().constData());
}

void ProcessTest::missingProviderEndsBeforeTheWindowShows_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("No") << false;
    QTest::newRow("Yes opens the download pages") << true;
}

void ProcessTest::missingProviderEndsBeforeTheWindowShows() {
    QFETCH(bool, yes);
    QTemporaryDir dir;
    // A copy of the program with no provider module beside it or in ../lib/velmora.
    const QString program = dir.filePath("bin/velmora");
    QDir().mkpath(dir.filePath("bin"));
    QVERIFY(QFile::copy(ProgramFolder() + "/velmora", program));
    QVERIFY(!QFile::exists(dir.filePath("bin/libvelmora-access.so")));

    QElapsedTimer clock;
    clock.start();
    const Outcome outcome =
        run(program, dir, yes ? QStringList{"VELMORA_TEST_ANSWER=Yes"} : QStringList{});
    QVERIFY2(clock.elapsed() < 15000, "the program did not end by itself");
    QCOMPARE(outcome.exitCode, 0);
    QVERIFY2(!outcome.errors.contains("SHOWN\tForm1"), qPrintable(outcome.errors));
    QString guidance = ProviderGuidanceMessage();
    guidance.replace("\r", "\\r").replace("\n", "\\n");
    QVERIFY2(outcome.errors.contains("MODAL\tVelmora\t" + guidance + "\n"),
             qPrintable(outcome.errors));
    QCOMPARE(outcome.errors.count("MODAL\t"), 1);

    auto openedPages = [&dir] {
        QFile opened(dir.filePath("opened.txt"));
        if (!opened.open(QIODevice::ReadOnly)) return QStringList();
        return QString::fromUtf8(opened.readAll()).split('\n', Qt::SkipEmptyParts);
    };
    if (!yes) {
        QTest::qWait(300);
        QCOMPARE(openedPages(), QStringList());
        return;
    }
    // Each page goes to its own detached xdg-open, so they may finish in either order.
    QTRY_COMPARE_WITH_TIMEOUT(openedPages().size(), 2, 5000);
    QStringList pages = openedPages();
    pages.sort();
    QCOMPARE(pages, (QStringList{kDownloadHost + "/en-us/download/details.aspx?id=13255",
                                 kDownloadHost + "/en-us/download/details.aspx?id=54920"}));
}

}  // namespace velmora::test

#include "ProcessTest.moc"

VELMORA_TEST_GROUP(ProcessTest);
