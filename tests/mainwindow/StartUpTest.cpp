// Start-up of the main window: defaults, restored entries, failing steps, skin, hand
// cursor, captions and controls.

#include <sys/prctl.h>

#include <QFile>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QSet>
#include <QStyle>
#include <QtTest>

#include "tests/mainwindow/TestGroups.h"

#include "common/AppInfo.h"
#include "common/Helpers.h"
#include "gui/WindowSupport.h"
#include "tests/mainwindow/FormFixture.h"

namespace velmora::test {

class StartUpTest final : public QObject {
    Q_OBJECT
  private slots:
    void firstStartUsesDefaultsAndWritesCheck1();
    void restoresSavedEntries_data();
    void restoresSavedEntries();
    void unconvertibleValueIsReportedAndStartUpGoesOn_data();
    void unconvertibleValueIsReportedAndStartUpGoesOn();
    void withoutSkinOrCursorNothingChanges();
    void skinAndCursorFromProgramFolder();
    void damagedSkinAndCursorAreReported();
    void builtHandCursorHasItsHotspotAtTheFingertip();
    void controlsCarryTheirNamesAndCaptions();
};

void StartUpTest::firstStartUsesDefaultsAndWritesCheck1() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    QCOMPARE(f.previewCheck()->checkState(), Qt::Checked);
    QVERIFY(f.option("Option1")->isChecked());
    QVERIFY(f.option("Option1")->isEnabled());
    QVERIFY(!f.option("Option2")->isChecked());
    QVERIFY(f.option("Option2")->isEnabled());
    for (const char* box : {"Text1", "Text5", "Text6"}) QCOMPARE(f.text(box)->text(), QString());
    QCOMPARE(f.setting("Check1"), QStringLiteral("1"));
    QCOMPARE(f.setting("Option1"), QStringLiteral("True"));
    QCOMPARE(f.setting("Option2"), QStringLiteral("False"));
    QCOMPARE(form.windowTitle(), kProductTitle);
    QCOMPARE(applicationTitle(), QStringLiteral("Velmora Ledger Table Transfer Toolkit"));
    QVERIFY2(f.answerer.seen.isEmpty(), qPrintable(f.answerer.texts().join(u'|')));
}

void StartUpTest::restoresSavedEntries_data() {
    QTest::addColumn<QString>("check1");
    QTest::addColumn<QString>("option1");
    QTest::addColumn<QString>("option2");
    QTest::addColumn<bool>("optionsEnabled");
    QTest::addColumn<bool>("option2Selected");
    QTest::newRow("preview off keeps the options disabled") << "0"
                                                            << "True"
                                                            << "False" << false << false;
    QTest::newRow("per-table preview") << "1"
                                       << "False"
                                       << "True" << true << true;
    QTest::newRow("numbers as truth values") << "1"
                                             << "0"
                                             << "-1" << true << true;
    QTest::newRow("words in any case") << "1.0"
                                       << "FALSE"
                                       << "true" << true << true;
}

void StartUpTest::restoresSavedEntries() {
    QFETCH(QString, check1);
    QFETCH(QString, option1);
    QFETCH(QString, option2);
    QFETCH(bool, optionsEnabled);
    QFETCH(bool, option2Selected);
    FormFixture f;
    f.store("Check1", check1);
    f.store("Option1", option1);
    f.store("Option2", option2);
    f.store("ParadoxFolder", "/srv/paradox tables");
    f.store("AccessMDBFile", "/data/Orders 2020.mdb");
    f.store("AccessPassword", "s3cr*t pass");
    prctl(PR_SET_DUMPABLE, 1);
    QVERIFY(f.make().load());
    QCOMPARE(prctl(PR_GET_DUMPABLE), 0);  // the saved password keeps core dumps out
    QCOMPARE(f.previewCheck()->isChecked(), optionsEnabled);
    QCOMPARE(f.option("Option1")->isEnabled(), optionsEnabled);
    QCOMPARE(f.option("Option2")->isEnabled(), optionsEnabled);
    QCOMPARE(f.option("Option2")->isChecked(), option2Selected);
    QCOMPARE(f.option("Option1")->isChecked(), !option2Selected);
    QCOMPARE(f.text("Text1")->text(), QStringLiteral("/srv/paradox tables"));
    QCOMPARE(f.text("Text5")->text(), QStringLiteral("/data/Orders 2020.mdb"));
    QCOMPARE(f.text("Text6")->text(), QStringLiteral("s3cr*t pass"));
    QCOMPARE(f.setting("Check1"), optionsEnabled ? QStringLiteral("1") : QStringLiteral("0"));
    QCOMPARE(f.setting("Option2"), TruthText(option2Selected));
    QVERIFY(f.answerer.seen.isEmpty());
}

void StartUpTest::unconvertibleValueIsReportedAndStartUpGoesOn_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("description");
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("check1After");  // the check box keeps its unticked start
    QTest::newRow("letter in Check1") << "Check1"
                                      << "x"
                                      << "Type mismatch" << 128 << "0";
    QTest::newRow("Check1 out of range") << "Check1"
                                         << "7"
                                         << "Invalid property value" << 128 << "0";
    QTest::newRow("Check1 too large") << "Check1"
                                      << "99999"
                                      << "Overflow" << 128 << "0";
    QTest::newRow("word in Option1") << "Option1"
                                     << "maybe"
                                     << "Type mismatch" << 130 << "1";
    QTest::newRow("empty Option2") << "Option2"
                                   << ""
                                   << "Type mismatch" << 132 << "1";
}

void StartUpTest::unconvertibleValueIsReportedAndStartUpGoesOn() {
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, description);
    QFETCH(int, step);
    QFETCH(QString, check1After);
    FormFixture f;
    f.store(key, value);
    // Selecting Option1 writes both option keys before Option2 is read.
    if (key == "Option2") f.store("Option1", "False");
    f.store("AccessMDBFile", "/data/a.mdb");
    QVERIFY(f.make().load());
    QCOMPARE(f.answerer.seen.size(), 1);
    const SeenModal report = f.answerer.seen.first();
    QCOMPARE(report.title, QStringLiteral("Application Error"));
    QCOMPARE(report.icon, QMessageBox::Warning);
    QVERIFY2(
        report.text.startsWith(
            description + QStringLiteral("\r\nin Kestrune2021/08/31.Form1.Form_Load at line ") +
            QString::number(step) + u'\r'),
        qPrintable(report.text));
    // The later steps ran.
    QCOMPARE(f.text("Text5")->text(), QStringLiteral("/data/a.mdb"));
    QCOMPARE(f.setting("Check1"), check1After);
}

void StartUpTest::withoutSkinOrCursorNothingChanges() {
    FormFixture f;
    const QString folder = f.path("program");
    MakeFolderWith(folder, {});
    MainWindow& form = f.make(folder);
    const QPalette before = form.palette();
    QVERIFY(form.load());
    QCOMPARE(form.styleSheet(), QString());
    QVERIFY(!form.autoFillBackground());
    QCOMPARE(form.palette(), before);
    QVERIFY(!form.pointer().hasHandCursor());
    QVERIFY(f.answerer.seen.isEmpty());
}

void StartUpTest::skinAndCursorFromProgramFolder() {
    FormFixture f;
    const QString folder = f.path("program");
    MakeFolderWith(folder + "/x", {});
    QFile skin(folder + "/x/o.cjs");
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.write("QPushButton#PushButton7 { color: rgb(1, 2, 3); }\n");
    skin.close();
    QVERIFY(QFile::copy(ProgramFolder() + "/HAND-M.CUR", folder + "/HAND-M.CUR"));
    MainWindow& form = f.make(folder);
    QVERIFY(form.load());
    QVERIFY(f.answerer.seen.isEmpty());
    auto* start = f.button("PushButton7");
    start->ensurePolished();
    QCOMPARE(start->palette().color(QPalette::ButtonText), QColor(1, 2, 3));
    QVERIFY(form.autoFillBackground());
    QVERIFY(form.pointer().hasHandCursor());
}

void StartUpTest::damagedSkinAndCursorAreReported() {
    FormFixture f;
    const QString folder = f.path("program");
    MakeFolderWith(folder + "/x", {});
    for (const QString& name : {QStringLiteral("/x/o.cjs"), QStringLiteral("/HAND-M.CUR")}) {
        QFile file(folder + name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xff\xfe\x00\x01 not a skin, not a cursor", 30);
    }
    MainWindow& form = f.make(folder);
    QVERIFY(form.load());
    QCOMPARE(f.answerer.seen.size(), 2);
    QVERIFY(f.answerer.seen[0].text.contains("Form_Load at line 100\r"));
    QVERIFY(f.answerer.seen[1].text.contains("Form_Load at line 106\r"));
    QVERIFY(!form.pointer().hasHandCursor());
    QCOMPARE(f.setting("Check1"), QStringLiteral("1"));  // start-up went on
}

void StartUpTest::builtHandCursorHasItsHotspotAtTheFingertip() {
    const auto hand = LoadCursorFile(ProgramFolder() + "/HAND-M.CUR");
    QVERIFY(hand.has_value());
    QCOMPARE(hand->hotSpot(), QPoint(11, 1));
    const QImage image = hand->pixmap().toImage();
    QCOMPARE(image.size(), QSize(32, 32));
    // The fingertip is drawn at the hotspot, the corner is clear.
    QCOMPARE(qAlpha(image.pixel(11, 1)), 255);
    QCOMPARE(qAlpha(image.pixel(11, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
}

void StartUpTest::controlsCarryTheirNamesAndCaptions() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    const QList<std::pair<const char*, QString>> buttons = {
        {"PushButton1", "..."},
        {"PushButton2", "..."},
        {"PushButton3", "Test Connection"},
        {"PushButton4", "Load Sample/Example Database"},
        {"PushButton5", "Help"},
        {"PushButton6", "Load Sample/Example Database"},
        {"PushButton7", "Start Converting"},
        {"Check1", "Enable SQL Preview mode to see SQL commands or check for errors"},
        {"Option1", "Show SQL Preview For Each File"},
        {"Option2", "Show SQL Preview For Each Table"},
    };
    // Each caption with its Alt+letter, and no letter twice (the menus' included).
    QSet<QChar> letters{u'f', u't', u'h'};
    auto letterOf = [&](const QString& text) {
        const qsizetype amp = text.indexOf(u'&');
        if (amp < 0) return true;
        const QChar letter = text.at(amp + 1).toLower();
        if (letters.contains(letter)) return false;
        letters.insert(letter);
        return true;
    };
    for (const auto& [name, caption] : buttons) {
        auto* button = form.findChild<QAbstractButton*>(name);
        QVERIFY2(button, name);
        QCOMPARE(QString(button->text()).remove(u'&'), caption);
        QVERIFY2(caption == "..." || button->text().contains(u'&'), name);
        QVERIFY2(letterOf(button->text()), name);
    }
    const QList<std::pair<const char*, QString>> frames = {
        {"Frame1", "Access Database"}, {"Frame2", "SQL Preview"}, {"Frame3", "Paradox Database"}};
    for (const auto& [name, caption] : frames) {
        auto* frame = form.findChild<QGroupBox*>(name);
        QVERIFY2(frame, name);
        QCOMPARE(frame->title(), caption);
    }
    const QList<std::pair<const char*, QString>> labels = {
        {"Label5", "MDB or ACCDB File:"},
        {"lblPassword", "Password (if required):"},
        {"Label1", "Paradox Folder:"}};
    for (const auto& [name, caption] : labels) {
        auto* label = form.findChild<QLabel*>(name);
        QVERIFY2(label, name);
        QCOMPARE(QString(label->text()).remove(u'&'), caption);
        QVERIFY2(label->buddy() && letterOf(label->text()), name);
    }
    QVERIFY(form.findChild<QProgressBar*>("ProgressBar1"));
    // Grouping: the Access entries in Frame1, the Paradox ones in Frame3.
    QVERIFY(form.findChild<QGroupBox*>("Frame1")->isAncestorOf(f.text("Text6")));
    QVERIFY(form.findChild<QGroupBox*>("Frame3")->isAncestorOf(f.button("PushButton6")));
    QVERIFY(form.findChild<QGroupBox*>("Frame2")->isAncestorOf(f.option("Option2")));

    QLineEdit* password = f.text("Text6");
    QCOMPARE(password->echoMode(), QLineEdit::Password);
    QCOMPARE(password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
             int('*'));
    QCOMPARE(form.font().family(), QStringLiteral("Arial"));
    if (QFontDatabase::families().contains(QStringLiteral("Liberation Sans")))
        QCOMPARE(QFontInfo(f.text("Text5")->font()).family(), QStringLiteral("Liberation Sans"));
}

}  // namespace velmora::test

#include "StartUpTest.moc"

VELMORA_TEST_GROUP(StartUpTest);
