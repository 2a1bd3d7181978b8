// The settings store and the entries that write themselves to it.

#include <sys/stat.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtTest>

#include "tests/mainwindow/TestGroups.h"

#include "app/SettingsStore.h"
#include "tests/mainwindow/FormFixture.h"

namespace velmora::test {

class SettingsTest final : public QObject {
    Q_OBJECT
  private slots:
    void storeFileIsPrivateAndNamedForTervane();
    void storedTextConverts_data();
    void storedTextConverts();
    void check1TogglesOptionsAndKeepsTheirSelection();
    void optionClicksWriteBothKeys();
    void everyKeystrokeIsStored();
    void focusSelectsTheWholeText();
    void entriesSurviveARestart();
};

void SettingsTest::storeFileIsPrivateAndNamedForTervane() {
    FormFixture f;
    QVERIFY(f.make().load());
    const QFileInfo file(SettingsStore::filePath());
    QCOMPARE(file.fileName(), QStringLiteral("Tervane.conf"));
    QVERIFY(file.exists());
    struct stat status {};
    QCOMPARE(::stat(QFile::encodeName(file.filePath()).constData(), &status), 0);
    QCOMPARE(status.st_mode & 0777, 0600u);
    QFile text(file.filePath());
    QVERIFY(text.open(QIODevice::ReadOnly));
    const QByteArray content = text.readAll();
    // One section named after the product, the values as plain text.
    QVERIFY2(content.contains("[Velmora%20Ledger%20Table%20Transfer%20Toolkit%20Platform]"),
             content.constData());
    QVERIFY2(content.contains("Check1=1"), content.constData());
}

void SettingsTest::storedTextConverts_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("integer");
    QTest::addColumn<bool>("truth");
    QTest::newRow("one") << "1" << true << 1 << true;
    QTest::newRow("zero") << "0" << true << 0 << false;
    QTest::newRow("spaces around") << " 0 " << true << 0 << false;
    QTest::newRow("negative") << "-1" << true << -1 << true;
    QTest::newRow("half rounds to even") << "2.5" << true << 2 << true;
    QTest::newRow("True") << "True" << true << -1 << true;
    QTest::newRow("false lower case") << "false" << true << 0 << false;
    QTest::newRow("letter") << "x" << false << 0 << false;
    QTest::newRow("empty") << "" << false << 0 << false;
    QTest::newRow("number and text") << "1x" << false << 0 << false;
}

void SettingsTest::storedTextConverts() {
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, integer);
    QFETCH(bool, truth);
    if (!converts) {
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, SettingToInteger(text));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, SettingToTruth(text));
        return;
    }
    QCOMPARE(SettingToInteger(text), integer);
    QCOMPARE(SettingToTruth(text), truth);
}

void SettingsTest::check1TogglesOptionsAndKeepsTheirSelection() {
    FormFixture f;
    f.store("Option2", "True");
    f.store("Option1", "False");
    f.store("AccessKeys", "True");
    MainWindow& form = f.make();
    QVERIFY(form.load());
    QVERIFY(f.option("Option2")->isChecked());
    QVERIFY(form.findChild<QCheckBox*>("accessKeys")->isChecked());
    f.previewCheck()->click();  // off
    QVERIFY(!f.option("Option1")->isEnabled());
    QVERIFY(!f.option("Option2")->isEnabled());
    QVERIFY(f.option("Option2")->isChecked());
    QCOMPARE(f.setting("Check1"), QStringLiteral("0"));
    QCOMPARE(f.setting("Option2"), QStringLiteral("True"));
    f.previewCheck()->click();  // on again
    QVERIFY(f.option("Option1")->isEnabled());
    QVERIFY(f.option("Option2")->isEnabled());
    QVERIFY(f.option("Option2")->isChecked());
    QVERIFY(!f.option("Option1")->isChecked());
    QCOMPARE(f.setting("Check1"), QStringLiteral("1"));
}

void SettingsTest::optionClicksWriteBothKeys() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.option("Option2")->click();
    QCOMPARE(f.setting("Option1"), QStringLiteral("False"));
    QCOMPARE(f.setting("Option2"), QStringLiteral("True"));
    QVERIFY(form.previewPerTable());
    QVERIFY(!form.previewPerFile());
    f.option("Option1")->click();
    QCOMPARE(f.setting("Option1"), QStringLiteral("True"));
    QCOMPARE(f.setting("Option2"), QStringLiteral("False"));
    // The key choice: row numbers until the box is ticked, which is saved at once.
    auto* keys = form.findChild<QCheckBox*>("accessKeys");
    QVERIFY(keys != nullptr && !keys->isChecked());
    keys->click();
    QCOMPARE(f.setting("AccessKeys"), QStringLiteral("True"));
}

void SettingsTest::everyKeystrokeIsStored() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QList<std::pair<const char*, QString>> boxes = {
        {"Text6", "AccessPassword"}, {"Text5", "AccessMDBFile"}, {"Text1", "ParadoxFolder"}};
    for (const auto& [name, key] : boxes) {
        QLineEdit* box = f.text(name);
        QStringList stored;
        QObject::connect(box, &QLineEdit::textChanged, box,
                         [&f, &stored, key] { stored << f.setting(key); });
        QTest::keyClicks(box, "a b");
        QCOMPARE(stored, (QStringList{"a", "a ", "a b"}));
        QTest::keyClick(box, Qt::Key_Backspace);
        QCOMPARE(f.setting(key), QStringLiteral("a "));
    }
    QCOMPARE(form.accessPassword(), QStringLiteral("a "));
}

void SettingsTest::focusSelectsTheWholeText() {
    FormFixture f;
    f.store("AccessMDBFile", "/data/orders.mdb");
    MainWindow& form = f.make();
    QVERIFY(form.load());
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QLineEdit* box = f.text("Text5");
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QTRY_COMPARE(box->selectedText(), QStringLiteral("/data/orders.mdb"));
    QTest::keyClicks(box, "x");
    QCOMPARE(box->text(), QStringLiteral("x"));
}

void SettingsTest::entriesSurviveARestart() {
    FormFixture f;
    {
        MainWindow& form = f.make();
        QVERIFY(form.load());
        f.text("Text1")->setText("/srv/paradox");
        f.text("Text5")->setText("/data/a.accdb");
        f.text("Text6")->setText("pw");
        f.option("Option2")->click();
        f.previewCheck()->click();
    }
    MainWindow& again = f.make();
    QVERIFY(again.load());
    QCOMPARE(again.paradoxFolder(), QStringLiteral("/srv/paradox"));
    QCOMPARE(again.accessFile(), QStringLiteral("/data/a.accdb"));
    QCOMPARE(again.accessPassword(), QStringLiteral("pw"));
    QVERIFY(!again.previewEnabled());
    QVERIFY(again.previewPerTable());
}

}  // namespace velmora::test

#include "SettingsTest.moc"

VELMORA_TEST_GROUP(SettingsTest);
