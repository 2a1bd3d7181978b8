// The Options dialog: each choice made in the window writes the tables exactly as its
// command-line option does (the same files, byte for byte), is kept in the settings, and
// the overwrite question's "to all" answers hold for the rest of the run.

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

#include "app/OptionsDialog.h"
#include "common/AppInfo.h"
#include "common/Helpers.h"
#include "engine/RejectsFile.h"
#include "engine/RunReports.h"
#include "tests/mainwindow/FormFixture.h"
#include "tests/mainwindow/TestGroups.h"

namespace velmora::test {

namespace {

// The shared corpus, or an empty text when this machine has none.
QString corpusFile(const QString& path) {
    const QByteArray configured = qgetenv("VELMORA_CORPUS");
    const QString root = configured.isEmpty() ? QStringLiteral(VELMORA_CORPUS_DEFAULT)
                                              : QString::fromLocal8Bit(configured);
    const QString file = root + QStringLiteral("/access/") + path;
    return QFile::exists(file) ? file : QString();
}

// The sample with its page 46 (rows of Orders) blanked, kept while the tests run.
QString damagedSample(const QString& sample) {
    static QTemporaryDir folder;
    const QString damaged = folder.filePath(QStringLiteral("damaged.mdb"));
    QFile in(sample), out(damaged);
    if (!QFile::exists(damaged) && in.open(QIODevice::ReadOnly) && out.open(QIODevice::WriteOnly)) {
        QByteArray bytes = in.readAll();
        bytes.replace(46 * 4096, 4096, QByteArray(4096, '\0'));
        out.write(bytes);
    }
    return damaged;
}

bool corpusRequired() {
    const QByteArray required = qgetenv("VELMORA_REQUIRE_CORPUS");
    return !required.isEmpty() && required != "0";
}

// Every file of a folder but the run's report log, with a digest of its bytes.
QMap<QString, QByteArray> folderFiles(const QString& folder) {
    QMap<QString, QByteArray> files;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        if (name == QLatin1String(kReportLogName)) continue;
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::ReadOnly)) continue;
        files[name] = QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
    }
    return files;
}

// velmora-convert into a new folder; false when it could not run.
bool convert(const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(ProgramFolder() + QStringLiteral("/velmora-convert"), arguments);
    return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit;
}

using Choose = std::function<void(QWidget* options)>;

template <typename W>
W* control(QWidget* dialog, const char* name) {
    return dialog->findChild<W*>(QString::fromLatin1(name));
}

}  // namespace

class OptionsTest final : public QObject {
    Q_OBJECT
  private slots:
    void everyChoiceWritesWhatItsCommandLineOptionWrites_data();
    void everyChoiceWritesWhatItsCommandLineOptionWrites();
    void choicesAreKeptAndReachTheRun();
    void yesToAllAndNoToAllAnswerTheRestOfTheRun();
};

void OptionsTest::everyChoiceWritesWhatItsCommandLineOptionWrites_data() {
    QTest::addColumn<QString>("database");
    QTest::addColumn<Choose>("choose");
    QTest::addColumn<QStringList>("option");  // the command line's twin

    const QString sample = ProgramFolder() + QStringLiteral("/Samples/sample.mdb");
    QTest::newRow("best-fit spelling") << sample << Choose([](QWidget* d) {
        control<QRadioButton>(d, "ReplaceUnmappable")->click();
    }) << QStringList{"--unmappable", "replace"};
    QTest::newRow("rejects file") << sample << Choose([](QWidget* d) {
        control<QCheckBox>(d, "RejectsFile")->setChecked(true);
    }) << QStringList{"--rejects", QStringLiteral("@folder@/") + kRejectsFileName};
    QTest::newRow("strict reading") << damagedSample(sample) << Choose([](QWidget* d) {
        control<QCheckBox>(d, "StrictReading")->setChecked(true);
    }) << QStringList{"--strict"};
    QTest::newRow("pictures kept")
        << corpusFile("mdbtestdata/data/nwind.mdb")
        << Choose([](QWidget* d) { control<QRadioButton>(d, "KeepBinary")->click(); })
        << QStringList{"--keep-binary"};
    QTest::newRow("Jet3 code page")
        << corpusFile("ucanaccess/src/test/resources/testdbs/charsetGBK.mdb")
        << Choose([](QWidget* d) {
               auto* pages = control<QComboBox>(d, "Jet3CodePage");
               pages->setCurrentIndex(pages->findData(936));
           })
        << QStringList{"--jet3-code-page", "936"};
}

void OptionsTest::everyChoiceWritesWhatItsCommandLineOptionWrites() {
    QFETCH(QString, database);
    QFETCH(Choose, choose);
    QFETCH(QStringList, option);
    if (database.isEmpty()) {
        if (corpusRequired()) QFAIL("corpus missing");
        QSKIP("corpus not on this machine");
    }
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    if (f.previewCheck()->isChecked()) f.previewCheck()->click();  // straight into the tables
    f.text("Text5")->setText(database);
    const QString byWindow = f.path("window");
    form.setParadoxFolder(byWindow);
    f.answerer.then([&](QWidget* dialog) {
        choose(dialog);
        static_cast<QDialog*>(dialog)->accept();
    });
    f.button("OptionsButton")->click();
    QCOMPARE(f.answerer.seen.value(0).title, QStringLiteral("Options - ") + kProductTitle);

    f.answerer.thenClick(QMessageBox::Yes);  // create the tables in the new folder
    f.button("PushButton7")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!form.runState().conversionRunning, 300000);
    const QMap<QString, QByteArray> written = folderFiles(byWindow);

    // The command line's twin option, and the same run without it.
    const QString byCommand = f.path("command");
    const QString plain = f.path("plain");
    QStringList twin = option;
    twin.replaceInStrings(QStringLiteral("@folder@"), byCommand);
    QVERIFY(convert(QStringList{"-q", "--new-folder"} + twin + QStringList{database, byCommand}));
    QVERIFY(convert({"-q", "--new-folder", database, plain}));

    QVERIFY(written.size() >= 2);
    QCOMPARE(written, folderFiles(byCommand));
    QVERIFY2(written != folderFiles(plain), "the option changes nothing");
}

// OK keeps the choices, Cancel does not; the run gets them through the same settings as
// the command line's options.
void OptionsTest::choicesAreKeptAndReachTheRun() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    RunOptions given = form.runOptions();
    QVERIFY(!given.replaceUnmappable);
    QVERIFY(!given.keepBinary);
    QVERIFY(given.verify);  // on unless turned off
    QVERIFY(!given.rejectsBesideTables);
    QVERIFY(!given.strict);
    QCOMPARE(form.jet3CodePage(), 0);

    auto everything = [](QWidget* d) {
        control<QRadioButton>(d, "ReplaceUnmappable")->click();
        control<QRadioButton>(d, "KeepBinary")->click();
        auto* pages = control<QComboBox>(d, "Jet3CodePage");
        pages->setCurrentIndex(pages->findData(1251));
        control<QCheckBox>(d, "Verify")->setChecked(false);
        control<QCheckBox>(d, "RejectsFile")->setChecked(true);
        control<QCheckBox>(d, "StrictReading")->setChecked(true);
    };
    f.answerer.then([&](QWidget* d) {
        everything(d);
        static_cast<QDialog*>(d)->reject();
    });
    f.button("OptionsButton")->click();
    QCOMPARE(form.runOptions().replaceUnmappable, false);
    QCOMPARE(f.setting("Unmappable"), QStringLiteral("<missing>"));

    f.answerer.then([&](QWidget* d) {
        everything(d);
        static_cast<QDialog*>(d)->accept();
    });
    f.button("OptionsButton")->click();
    given = form.runOptions();
    QVERIFY(given.replaceUnmappable);
    QVERIFY(given.keepBinary);
    QVERIFY(!given.verify);
    QVERIFY(given.rejectsBesideTables);
    QVERIFY(given.strict);
    QCOMPARE(form.jet3CodePage(), 1251);
    QCOMPARE(f.setting("Unmappable"), QStringLiteral("replace"));
    QCOMPARE(f.setting("Jet3CodePage"), QStringLiteral("1251"));

    // The next start shows them again.
    QVERIFY(f.make().load());
    bool shown = false;
    f.answerer.then([&](QWidget* d) {
        shown = control<QRadioButton>(d, "ReplaceUnmappable")->isChecked() &&
                control<QRadioButton>(d, "KeepBinary")->isChecked() &&
                control<QComboBox>(d, "Jet3CodePage")->currentData().toInt() == 1251 &&
                !control<QCheckBox>(d, "Verify")->isChecked() &&
                control<QCheckBox>(d, "RejectsFile")->isChecked() &&
                control<QCheckBox>(d, "StrictReading")->isChecked();
        static_cast<QDialog*>(d)->reject();
    });
    f.button("OptionsButton")->click();
    QVERIFY(shown);
}

void OptionsTest::yesToAllAndNoToAllAnswerTheRestOfTheRun() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    if (f.previewCheck()->isChecked()) f.previewCheck()->click();
    f.button("PushButton4")->click();
    const QString folder = f.path("tables");
    form.setParadoxFolder(folder);
    f.answerer.thenClick(QMessageBox::Yes);
    f.button("PushButton7")->click();
    QTRY_VERIFY(!form.runState().conversionRunning);
    const int tables = QDir(folder).entryList({"*.db"}, QDir::Files).size();
    QVERIFY(tables >= 5);

    for (const QMessageBox::StandardButton toAll : {QMessageBox::YesToAll, QMessageBox::NoToAll}) {
        f.answerer.seen.clear();
        f.answerer.thenClick(toAll);
        f.button("PushButton7")->click();
        QTRY_VERIFY(!form.runState().conversionRunning);
        const QStringList asked =
            f.answerer.texts().filter(QStringLiteral("Would you like to overwrite"));
        QCOMPARE(asked.size(), 1);
        QCOMPARE(f.answerer.seen[0].title, QStringLiteral("Velmora"));
        const QString last = f.answerer.texts().last();
        if (toAll == QMessageBox::NoToAll)
            QVERIFY2(last.contains(QStringLiteral("Tables skipped: ")), qPrintable(last));
        else
            QVERIFY2(!last.contains(QStringLiteral("Tables skipped")), qPrintable(last));
    }
}

}  // namespace velmora::test

#include "OptionsTest.moc"

VELMORA_TEST_GROUP(OptionsTest);
