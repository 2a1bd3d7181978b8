// The commands of the main window's buttons, their dialogs and the pointer rules.

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTextDocumentFragment>
#include <QtTest>

#include "tests/mainwindow/TestGroups.h"

#include "common/AppInfo.h"
#include "common/Helpers.h"
#include "tests/mainwindow/FormFixture.h"

namespace velmora::test {

class CommandsTest final : public QObject {
    Q_OBJECT
  private slots:
    void testConnection_data();
    void testConnection();
    void testConnectionOnFolderWithSpaceAsksFirst_data();
    void testConnectionOnFolderWithSpaceAsksFirst();
    void sampleButtonsPointAtProgramFolder();
    void helpShowsItsText();
    void cancelledDialogsChangeNothing();
    void accessFileDialogPutsChosenFileIntoText5();
    void folderDialogStartsAtLastFolderDot();
    void dialogsOpenAtTheCurrentFileElseHome();
    void messageBoxesUseTheWindowsFont();
    void pointerIsHandOverButtonsAndBusyStays();
    void dropsRecentEntriesAndThePlaceAreKept();
};

void CommandsTest::testConnection_data() {
    QTest::addColumn<QStringList>("files");  // "" for an empty box
    QTest::addColumn<QString>("message");
    QTest::newRow("empty box") << QStringList{"<empty box>"}
                               << "Could not connect: no Paradox folder is given.";
    QTest::newRow("folder with a table")
        << QStringList{"<table>", "notes.txt"} << "Connection successful.";
    QTest::newRow("folder without tables")
        << QStringList{"orders.px", "readme.txt"} << "The folder holds no Paradox table yet.";
    QTest::newRow("a .db file that is no table")
        << QStringList{"foo.db"}
        << "The folder holds no Paradox table yet: its .db files are not Paradox tables.";
    QTest::newRow("missing folder")
        << QStringList{"<missing>"} << "Could not connect: the folder does not exist.";
}

void CommandsTest::testConnection() {
    QFETCH(QStringList, files);
    QFETCH(QString, message);
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    const QString folder = f.path("paradox");
    if (files.value(0) == "<empty box>") {
        form.setParadoxFolder(QString());
    } else {
        if (files.value(0) == "<table>") {
            files.removeFirst();
            MakeFolderWithTable(folder, "ORDERS.DB");
        }
        if (files.value(0) != "<missing>") MakeFolderWith(folder, files);
        form.setParadoxFolder(folder);
    }
    f.button("PushButton3")->click();
    QCOMPARE(f.answerer.texts(), QStringList{message});
    QCOMPARE(f.answerer.seen[0].title, QStringLiteral("Velmora"));
    QCOMPARE(f.answerer.seen[0].icon, QMessageBox::NoIcon);
    QVERIFY(!form.pointer().busy());
}

void CommandsTest::testConnectionOnFolderWithSpaceAsksFirst_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes moves to the work folder") << true;
    QTest::newRow("No keeps the folder") << false;
}

void CommandsTest::testConnectionOnFolderWithSpaceAsksFirst() {
    QFETCH(bool, yes);
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    const QString spaced = f.path("my tables");
    MakeFolderWithTable(spaced, "CUSTOMERS.DB");
    form.setParadoxFolder(spaced);
    f.answerer.thenClick(yes ? QMessageBox::Yes : QMessageBox::No);
    f.button("PushButton3")->click();
    const QString workFolder = f.home() + "/TestDB";
    QCOMPARE(f.answerer.seen.size(), 2);
    QCOMPARE(f.answerer.seen[0].text,
             "In some cases the software needs to use a folder without spaces.\r\n"
             "Is it OK to create the folder " +
                 workFolder + " and put Your db files in it?");
    QCOMPARE(f.answerer.seen[1].text, QStringLiteral("Connection successful."));
    QCOMPARE(form.paradoxFolder(), yes ? workFolder : spaced);
    QCOMPARE(f.setting("ParadoxFolder"), yes ? workFolder : spaced);
    QCOMPARE(QFile::exists(workFolder + "/CUSTOMERS.DB"), yes);
}

void CommandsTest::sampleButtonsPointAtProgramFolder() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.button("PushButton4")->click();
    const QString sampleMdb = ProgramFolder() + "/Samples/sample.mdb";
    QCOMPARE(form.accessFile(), sampleMdb);
    QCOMPARE(f.setting("AccessMDBFile"), sampleMdb);
    QVERIFY(QFile::exists(sampleMdb));
    f.button("PushButton6")->click();
    QCOMPARE(form.paradoxFolder(), ProgramFolder() + "/Samples");
    QCOMPARE(f.setting("ParadoxFolder"), ProgramFolder() + "/Samples");
    // The build folder has no space, so nothing is asked, and the sample folder holds
    // a table, so a connection test succeeds.
    QVERIFY(f.answerer.seen.isEmpty());
    f.button("PushButton3")->click();
    QCOMPARE(f.answerer.texts(), QStringList{"Connection successful."});
}

void CommandsTest::helpShowsItsText() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    // The address is a link, kept whole on one line, that opens in the user's browser.
    f.answerer.then([](QWidget* modal) {
        auto* label = modal->findChild<QLabel*>("qt_msgbox_label");
        if (label) emit label->linkActivated(kContactPage);
        modal->close();
    });
    f.button("PushButton5")->click();
    QCOMPARE(f.answerer.seen.size(), 1);
    QCOMPARE(f.answerer.seen[0].title, QStringLiteral("Velmora"));
    const QString html = f.answerer.seen[0].text;
    // It describes today's program: no word of binary fields left out or of a row limit.
    const QString plain = QTextDocumentFragment::fromHtml(html).toPlainText();
    QVERIFY(plain.startsWith(kProductTitle + ", version " + programVersion() + ".\n\n"));
    QVERIFY(plain.endsWith("Questions? Please contact Team Tervane at " + kContactPage));
    for (const char* gone : {"does not handle binary", "32767"})
        QVERIFY2(!plain.contains(QLatin1String(gone)), gone);
    QVERIFY(plain.contains("Options"));
    QVERIFY2(html.contains("<span style=\"white-space:pre\">Questions? Please contact Team "
                           "Tervane at <a href=\"" +
                           kContactPage + "\">"),
             qPrintable(html));
    QCOMPARE(f.opener.opened, QStringList{kContactPage});
    QVERIFY(kContactPage.endsWith("/contact/"));
}

void CommandsTest::messageBoxesUseTheWindowsFont() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    QString boxFamily;
    f.answerer.then([&](QWidget* modal) {
        boxFamily = QFontInfo(modal->findChild<QLabel*>("qt_msgbox_label")->font()).family();
        modal->close();
    });
    f.button("PushButton3")->click();
    QCOMPARE(boxFamily, QFontInfo(f.text("Text1")->font()).family());
}

void CommandsTest::cancelledDialogsChangeNothing() {
    FormFixture f;
    f.store("ParadoxFolder", "/srv/with space");  // a Paradox browse would ask CopyDB's question
    f.store("AccessMDBFile", "/data/a.mdb");
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.answerer.thenCancel();
    f.button("PushButton1")->click();
    f.answerer.thenCancel();
    f.button("PushButton2")->click();
    QCOMPARE(f.answerer.seen.size(), 2);  // the two dialogs and no question
    QCOMPARE(form.accessFile(), QStringLiteral("/data/a.mdb"));
    QCOMPARE(form.paradoxFolder(), QStringLiteral("/srv/with space"));
    QCOMPARE(f.setting("AccessMDBFile"), QStringLiteral("/data/a.mdb"));
    QCOMPARE(f.setting("ParadoxFolder"), QStringLiteral("/srv/with space"));
}

void CommandsTest::accessFileDialogPutsChosenFileIntoText5() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    const QString folder = f.path("access");
    MakeFolderWith(folder, {"Orders.MDB"});
    f.answerer.thenChoose(folder + "/Orders.MDB");
    f.button("PushButton1")->click();
    QCOMPARE(f.answerer.seen.size(), 1);
    const SeenModal dialog = f.answerer.seen[0];
    QCOMPARE(dialog.title, QStringLiteral("Select Access Database"));
    // The first filter lists Access databases only, not Paradox's .db files.
    QCOMPARE(dialog.nameFilters,
             (QStringList{"All Microsoft Databases (*.mdb,*.accdb) (*.mdb *.accdb)",
                          "Microsoft Database (*.mdb) (*.mdb)",
                          "Microsoft 2007 Database (*.accdb) (*.accdb)"}));
    QCOMPARE(form.accessFile(), folder + "/Orders.MDB");
    QCOMPARE(f.setting("AccessMDBFile"), folder + "/Orders.MDB");
    QCOMPARE(f.setting("RecentDatabases"), folder + "/Orders.MDB");
}

void CommandsTest::folderDialogStartsAtLastFolderDot() {
    FormFixture f;
    const QString start = f.path("start");
    const QString chosen = start + "/tables";
    MakeFolderWith(chosen, {"A.db"});
    f.store("LastFolderDot", start);
    MainWindow& form = f.make();
    QVERIFY(form.load());
    f.answerer.thenChoose(chosen);
    f.button("PushButton2")->click();
    QCOMPARE(f.answerer.seen.size(), 1);
    QCOMPARE(f.answerer.seen[0].text, start);
    QCOMPARE(f.answerer.seen[0].lookInLabel, QStringLiteral("Please select folder:"));
    QCOMPARE(form.paradoxFolder(), chosen);
    QCOMPARE(f.setting("ParadoxFolder"), chosen);
    QCOMPARE(f.setting("LastFolderDot"), start);  // never written by the program
}

void CommandsTest::dialogsOpenAtTheCurrentFileElseHome() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    const QString access = f.path("access");
    const QString tables = f.path("tables");
    MakeFolderWith(access, {"Orders.mdb"});
    MakeFolderWith(tables, {});
    form.findChild<QLineEdit*>("Text5")->setText(access + "/Orders.mdb");
    form.setParadoxFolder(tables);
    for (int i = 0; i < 2; ++i) f.answerer.thenCancel();
    f.button("PushButton1")->click();
    f.button("PushButton2")->click();
    // Without a file or folder that exists, both open in the home folder, never in the
    // program's working folder.
    form.findChild<QLineEdit*>("Text5")->setText(QString());
    form.setParadoxFolder(f.path("gone"));
    for (int i = 0; i < 2; ++i) f.answerer.thenCancel();
    f.button("PushButton1")->click();
    f.button("PushButton2")->click();
    QCOMPARE(f.answerer.texts(), (QStringList{access, tables, f.home(), f.home()}));
}

void CommandsTest::pointerIsHandOverButtonsAndBusyStays() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.pointer().hasHandCursor());
    auto enter = [](QWidget* widget) {
        QEnterEvent event(QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                          widget->mapToGlobal(QPointF(2, 2)));
        QCoreApplication::sendEvent(widget, &event);
    };
    enter(f.button("PushButton7"));
    QCOMPARE(form.cursor().shape(), Qt::BitmapCursor);
    QCOMPARE(form.cursor().hotSpot(), QPoint(11, 1));
    enter(f.text("Text1"));
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    form.pointer().setBusy(true);
    enter(f.button("PushButton3"));
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    enter(form.findChild<QWidget*>("Frame2"));
    QCOMPARE(form.cursor().shape(), Qt::WaitCursor);
    QCOMPARE(f.text("Text5")->cursor().shape(), Qt::WaitCursor);  // text boxes too
    form.pointer().setBusy(false);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(f.text("Text5")->cursor().shape(), Qt::IBeamCursor);
}

// A database or folder dropped on the window, an entry of the recent lists, and the
// window's size at the next start.
void CommandsTest::dropsRecentEntriesAndThePlaceAreKept() {
    FormFixture f;
    MainWindow& form = f.make();
    QVERIFY(form.load());
    const QString folder = f.path("dropped");
    MakeFolderWith(folder, {"Orders.ACCDB", "Regions.db", "notes.txt"});
    auto drop = [&](const QStringList& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString& file : files) urls << QUrl::fromLocalFile(folder + u'/' + file);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&form, &enter);
        if (!enter.isAccepted()) return false;
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(&form, &drop);
        return true;
    };
    QVERIFY(!drop({"Regions.db", "notes.txt"}));  // nothing the window can take
    QCOMPARE(form.accessFile(), QString());
    QVERIFY(drop({"notes.txt", "Orders.ACCDB"}));
    QCOMPARE(form.accessFile(), folder + "/Orders.ACCDB");
    QVERIFY(drop({"."}));
    QCOMPARE(form.paradoxFolder(), folder);

    f.store("RecentFolders", "/srv/first\n/srv/second");
    auto* menu = form.findChild<QMenuBar*>("MenuBar");
    QVERIFY(menu);
    QMenu* recent = nullptr;
    for (QMenu* m : menu->findChildren<QMenu*>())
        if (m->title().remove(u'&') == "Recent Folders") recent = m;
    QVERIFY(recent);
    emit recent->aboutToShow();
    QCOMPARE(recent->actions().size(), 2);
    recent->actions()[1]->trigger();
    QCOMPARE(form.paradoxFolder(), QStringLiteral("/srv/second"));

    form.resize(720, form.height() + 40);
    const QSize size = form.size();
    form.close();
    MainWindow& again = f.make();
    QVERIFY(again.load());
    QCOMPARE(again.size(), size);
}

}  // namespace velmora::test

#include "CommandsTest.moc"

VELMORA_TEST_GROUP(CommandsTest);
