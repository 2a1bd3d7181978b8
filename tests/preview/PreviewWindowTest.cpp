// The SQL Preview window without a target driver: layout, the blank-line rule, errors
// other than SQL errors, the clipboard and mail commands, Skip and Back, and the
// guard while Execute SQL runs.

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <map>

#include "common/AppInfo.h"
#include "preview/CaptionedProgressBar.h"
#include "preview/DatatypesView.h"
#include "preview/EditLineDialog.h"
#include "preview/ExactTextBox.h"
#include "preview/FindReplaceDialog.h"
#include "preview/PreviewWindow.h"
#include "preview/PreviewWindowHost.h"
#include "preview/StatementView.h"
#include "tests/preview/ModalHandler.h"
#include "tests/preview/PreviewFixtures.h"

namespace velmora::test {
namespace {

const QString kPasteHint = QStringLiteral(
    "\r\rClick a text area where you normally type and press Ctrl+V to paste the clipboard.");

QString ClosedConnectionReport(int step) {
    return QStringLiteral(
               "Operation is not allowed when the object is closed.\r\n"
               "in Kestrune2021/08/31.Form2.PushButton1_Click at line ") +
           QString::number(step) +
           QStringLiteral("\r\rPlease email screenshot of this message to ") + kSupportEmail;
}

struct PreviewWindowTest : ::testing::Test {
    RunState state;
    ModalHandler modals;

    void SetUp() override {
        // An unopened target: any statement that reaches it fails, and not with an SQL error.
        state.targetConnection = std::make_unique<db::Connection>();
    }
};

// Users' scripts find the windows and their controls by these names: each window has
// exactly these, whatever its C++ members are called.
TEST_F(PreviewWindowTest, EveryWindowKeepsItsObjectNames) {
    PreviewWindow preview(state, nullptr);
    FindReplaceDialog findReplace(state.statements, nullptr);
    EditLineDialog editLine(state.statements, nullptr);
    DatatypesView datatypes(state.typeMappings, nullptr);
    const std::vector<std::pair<QWidget*, QStringList>> windows = {
        {&preview,
         {"CancelExecute", "Form2", "Frame2", "ListView1", "ProgressBar1", "PushButton1",
          "PushButton2", "PushButton3", "PushButton4", "PushButton5", "PushButton6", "PushButton7",
          "PushButton8", "PushButton9", "Text1"}},
        {&findReplace,
         {"Form3", "Label1", "Label2", "MatchCase", "PushButton1", "PushButton2", "ReplaceAll",
          "Text1", "Text2"}},
        {&editLine, {"Form4", "PushButton1", "PushButton2", "Text1"}},
        {&datatypes, {"Form5", "ListView1", "PushButton5"}}};
    for (const auto& [window, expected] : windows) {
        QStringList names = {window->objectName()};
        for (const QObject* child : window->findChildren<QObject*>())
            if (!child->objectName().isEmpty() && !child->objectName().startsWith("qt_"))
                names << child->objectName();
        names.sort();
        EXPECT_EQ(names, expected);
    }
}

TEST_F(PreviewWindowTest, OpensAtTheDesignSizeAndGrowsWithTheWindow) {
    Fill(state.statements, {"CREATE TABLE \"t\"(a INT)"});
    PreviewWindow form(state, nullptr);
    EXPECT_EQ(form.windowTitle(),
              QStringLiteral("SQL Preview - Velmora Ledger Table Transfer Toolkit Platform"));
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMaximizeButtonHint);

    const std::pair<const char*, QString> captions[] = {
        {"PushButton1", QStringLiteral("Execute SQL")},
        {"PushButton2", QStringLiteral("Copy SQL To Clipboard")},
        {"PushButton3", QStringLiteral("Find and Replace")},
        {"PushButton4", QStringLiteral("Copy Error Message To Clipboard")},
        {"PushButton5", QStringLiteral("< Back")},
        {"PushButton6", QStringLiteral("Jump To Error Line")},
        {"PushButton7", QStringLiteral("View Datatype Conversion")},
        {"PushButton8", QStringLiteral("Email Error Message To Tervane")},
        {"PushButton9", QStringLiteral("Skip Table / Do Not Execute SQL")},
    };
    // Each caption carries its Alt+letter, and no two share one.
    QSet<QChar> mnemonics;
    for (const auto& [name, caption] : captions) {
        const QString text = Child<QPushButton>(&form, name)->text();
        EXPECT_EQ(QString(text).remove(u'&'), caption) << name;
        const qsizetype amp = text.indexOf(u'&');
        ASSERT_GE(amp, 0) << name;
        EXPECT_FALSE(mnemonics.contains(text.at(amp + 1).toLower())) << name;
        mnemonics.insert(text.at(amp + 1).toLower());
    }
    const QFont font = Child<QPushButton>(&form, "PushButton1")->font();
    EXPECT_EQ(font.family(), QStringLiteral("Arial"));
    EXPECT_TRUE(font.bold());
    EXPECT_EQ(font.pointSize(), 9);
    auto* list = Child<StatementView>(&form, "ListView1");
    EXPECT_EQ(list->header()->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("SQL Preview"));
    EXPECT_EQ(list->toolTip(), QStringLiteral("Click item to edit it. Move | line to right and "
                                              "out of window to reveal full names."));
    EXPECT_EQ(Child<QGroupBox>(&form, "Frame2")->title(), QStringLiteral("Error:"));
    // An idle bar shows no text of its own.
    EXPECT_EQ(Child<CaptionedProgressBar>(&form, "ProgressBar1")->text(), QString());

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    EXPECT_EQ(form.size(), QSize(536, 562));
    EXPECT_LT(form.minimumSize().width(), form.maximumSize().width());
    // The statement column takes the list's width, and a larger window a larger list.
    EXPECT_EQ(list->columnWidth(), list->viewport()->width());
    const QSize listBefore = list->size();
    const QSize errorBefore = Child<ExactTextBox>(&form, "Text1")->size();
    form.resize(900, 800);
    QApplication::processEvents();
    EXPECT_EQ(list->width() - listBefore.width(), 900 - 536);
    EXPECT_GT(list->height(), listBefore.height() + 120);
    EXPECT_GT(Child<ExactTextBox>(&form, "Text1")->height(), errorBefore.height());
    EXPECT_EQ(list->columnWidth(), list->viewport()->width());
    EXPECT_EQ(Child<QPushButton>(&form, "PushButton1")->height(), 27);
}

TEST_F(PreviewWindowTest, WideningTheColumnRevealsLongStatements) {
    Fill(state.statements, {QString(300, u'x'), QStringLiteral("short")});
    PreviewWindow form(state, nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* list = Child<StatementView>(&form, "ListView1");
    EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
    // As dragging the header's divider does.
    list->header()->resizeSection(0, 1500);
    QApplication::processEvents();
    EXPECT_EQ(list->visualRect(state.statements.index(1)).width(), 1500);
    EXPECT_GT(list->horizontalScrollBar()->maximum(), 0);
    list->horizontalScrollBar()->setValue(200);
    EXPECT_EQ(list->header()->offset(), 200);
}

TEST_F(PreviewWindowTest, EmptyListSaysNoSqlToRunAndChangesNothing) {
    state.previewExecuted = false;
    state.stopAfterPreview = true;
    PreviewWindow form(state, nullptr);
    form.show();
    Click(&form, "PushButton1");
    ASSERT_EQ(modals.boxes.size(), 1u);
    EXPECT_EQ(modals.boxes[0].text, QStringLiteral("No SQL to run."));
    EXPECT_EQ(modals.boxes[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(modals.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(state.previewExecuted);
    EXPECT_TRUE(state.stopAfterPreview);
}

TEST_F(PreviewWindowTest, BlankAndSpaceOnlyLinesAreSkippedAndTheRunGoesOn) {
    Fill(state.statements, {"", "   ", " "});
    state.stopAfterPreview = true;
    PreviewWindow form(state, nullptr);
    form.show();
    Click(&form, "PushButton1");
    EXPECT_TRUE(modals.boxes.empty()) << modals.texts().join(u'|').toStdString();
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_FALSE(state.stopAfterPreview);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    auto* bar = Child<CaptionedProgressBar>(&form, "ProgressBar1");
    EXPECT_EQ(bar->exactValue(), 0.0);
    EXPECT_EQ(bar->text(), QString());
}

TEST_F(PreviewWindowTest, TheProgressBarShowsTheLineBeingExecuted) {
    Fill(state.statements, QStringList(40, QStringLiteral(" ")));
    PreviewWindow form(state, nullptr);
    form.show();
    auto* bar = Child<CaptionedProgressBar>(&form, "ProgressBar1");
    // The value of line x is set just before its caption, so each change still shows x - 1.
    std::map<int, std::pair<double, QString>> seen;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        seen[value] = {bar->exactValue(), bar->text()};
    });
    Click(&form, "PushButton1");
    ASSERT_TRUE(seen.count(175));
    EXPECT_EQ(seen[175].first, 17.5);  // line 7 of 40
    ASSERT_TRUE(seen.count(200));
    EXPECT_EQ(seen[200].second, QStringLiteral("Please wait... Processing statement 7 of 40"));
    EXPECT_EQ(seen[1000].second, QStringLiteral("Please wait... Processing statement 39 of 40"));
    // Statements are counted with the locale's thousands separators.
    EXPECT_EQ(ExecutionProgressText(750807, 1000003, QLocale(QLocale::English)),
              QStringLiteral("Please wait... Processing statement 750,807 of 1,000,003"));
    EXPECT_EQ(ExecutionProgressText(750807, 1000003, QLocale(QLocale::German)),
              QStringLiteral("Please wait... Processing statement 750.807 of 1.000.003"));
    EXPECT_EQ(bar->text(), QString());  // cleared after the last line
}

TEST_F(PreviewWindowTest, TabsAreNotBlankAndOtherErrorsAreReportedLineByLine) {
    Fill(state.statements, {" ", "\t", "CREATE TABLE \"t\"(a INT)", "",
                            "Insert Into \"t\" VALUES(1)", "DROP TABLE \"t\""});
    PreviewWindow form(state, nullptr);
    form.show();
    Click(&form, "PushButton1");
    ASSERT_EQ(modals.boxes.size(), 4u);
    EXPECT_EQ(modals.boxes[0].text, ClosedConnectionReport(134));  // the line of tabs
    EXPECT_EQ(modals.boxes[1].text, ClosedConnectionReport(134));
    EXPECT_EQ(modals.boxes[2].text, ClosedConnectionReport(132));  // INSERT INTO, any case
    EXPECT_EQ(modals.boxes[3].text, ClosedConnectionReport(134));
    for (const SeenBox& box : modals.boxes) {
        EXPECT_EQ(box.caption, QStringLiteral("Application Error"));
        EXPECT_EQ(box.icon, QMessageBox::Warning);
    }
    // Not an SQL error: no error line, no error text, and the window ends as after success.
    EXPECT_EQ(form.errorLine, 0);
    EXPECT_EQ(Child<ExactTextBox>(&form, "Text1")->exactText(), QString());
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_FALSE(state.stopAfterPreview);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(PreviewWindowTest, JumpToErrorLineBeforeAnyErrorDoesNothing) {
    Fill(state.statements, {"a", "b", "c"});
    PreviewWindow form(state, nullptr);
    form.show();
    auto* list = Child<StatementView>(&form, "ListView1");
    list->setCurrentIndex(state.statements.index(1));
    Click(&form, "PushButton6");
    EXPECT_EQ(list->currentIndex().row(), 1);
    // A remembered line beyond the list is ignored too.
    form.errorLine = 9;
    Click(&form, "PushButton6");
    EXPECT_EQ(list->currentIndex().row(), 1);
    form.errorLine = 3;
    Click(&form, "PushButton6");
    EXPECT_EQ(list->currentIndex().row(), 2);
    EXPECT_TRUE(list->selectionModel()->isRowSelected(2));
    EXPECT_TRUE(modals.boxes.empty());

    RunState empty;
    PreviewWindow emptyForm(empty, nullptr);
    emptyForm.errorLine = 1;
    Click(&emptyForm, "PushButton6");
    EXPECT_TRUE(modals.boxes.empty());
}

TEST_F(PreviewWindowTest, CopySqlTakesTheCheckedLinesExactly) {
    const QString confirmation =
        QStringLiteral("Results have been copied to the clipboard.") + kPasteHint;
    const QString longLine = QString(40000, u'x') + QStringLiteral("  ");
    Fill(state.statements, {"A  ", "not me", "B", longLine});
    PreviewWindow form(state, nullptr);
    form.show();

    state.statements.setChecked(0, true);
    state.statements.setChecked(2, true);
    Click(&form, "PushButton2");
    EXPECT_EQ(ClipboardText(), QStringLiteral("A\r\nB\r\n"));

    state.statements.setChecked(0, false);
    state.statements.setChecked(2, false);
    state.statements.setChecked(3, true);  // longer than a 16-bit count
    Click(&form, "PushButton2");
    EXPECT_EQ(ClipboardText(), QString(40000, u'x') + QStringLiteral("\r\n"));

    ASSERT_EQ(modals.boxes.size(), 2u);
    for (const SeenBox& box : modals.boxes) {
        EXPECT_EQ(box.text, confirmation);
        EXPECT_EQ(box.icon, QMessageBox::NoIcon);
    }

    // With no line ticked, or no line at all, the user's clipboard stays as it was.
    state.statements.setChecked(3, false);
    QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
    Click(&form, "PushButton2");
    RunState empty;
    PreviewWindow emptyForm(empty, nullptr);
    Click(&emptyForm, "PushButton2");
    EXPECT_EQ(ClipboardText(), QStringLiteral("keep me"));
    ASSERT_EQ(modals.boxes.size(), 4u);
    for (std::size_t i : {2u, 3u})
        EXPECT_TRUE(modals.boxes[i].text.startsWith(QStringLiteral("No line is ticked")))
            << modals.boxes[i].text.toStdString();
}

TEST_F(PreviewWindowTest, CopyErrorMessageCopiesTheUntrimmedTextOrNothing) {
    PreviewWindow form(state, nullptr);
    auto* text = Child<ExactTextBox>(&form, "Text1");
    QGuiApplication::clipboard()->setText(QStringLiteral("keep me"));
    for (const QString& blank : {QString(), QStringLiteral("   ")}) {
        text->setExactText(blank);
        Click(&form, "PushButton4");
    }
    EXPECT_EQ(ClipboardText(), QStringLiteral("keep me"));
    EXPECT_TRUE(modals.boxes.empty());

    const QString error = QStringLiteral("  SQLException: Table \"t\" exists\r\nsecond line ");
    text->setExactText(error);
    Click(&form, "PushButton4");
    EXPECT_EQ(ClipboardText(), error);
    ASSERT_EQ(modals.boxes.size(), 1u);
    EXPECT_EQ(modals.boxes[0].text,
              QStringLiteral("The error message has been copied to the clipboard.") + kPasteHint);
}

// A stand-in for the desktop's opener, first on PATH, that writes down its argument.
class FakeOpener {
  public:
    FakeOpener() : oldPath_(qgetenv("PATH")) {
        record_ = dir_.filePath(QStringLiteral("argument"));
        QFile script(dir_.filePath(QStringLiteral("xdg-open")));
        script.open(QIODevice::WriteOnly);
        script.write("#!/bin/sh\nprintf '%s' \"$1\" > '" + record_.toUtf8() + ".part'\nmv '" +
                     record_.toUtf8() + ".part' '" + record_.toUtf8() + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", dir_.path().toUtf8() + ':' + oldPath_);
    }
    ~FakeOpener() { qputenv("PATH", oldPath_); }

    // The argument of the opener's first start, waiting up to `seconds` for it.
    std::optional<QString> argument(int seconds) const {
        for (int i = 0; i < seconds * 50; ++i) {
            QFile file(record_);
            if (file.open(QIODevice::ReadOnly)) return QString::fromUtf8(file.readAll());
            QThread::msleep(20);
        }
        return std::nullopt;
    }

  private:
    QByteArray oldPath_;
    QTemporaryDir dir_;
    QString record_;
};

TEST_F(PreviewWindowTest, EmailErrorMessageHandsTheRawMailLinkToTheOpener) {
    {
        FakeOpener opener;
        PreviewWindow form(state, nullptr);
        Child<ExactTextBox>(&form, "Text1")->setExactText(QStringLiteral("  "));
        Click(&form, "PushButton8");
        EXPECT_FALSE(opener.argument(1).has_value());
    }
    FakeOpener opener;
    PreviewWindow form(state, nullptr);
    const QString error = QStringLiteral("SQLException: 50% of \"a b\" & c=d?\nsecond line é ");
    Child<ExactTextBox>(&form, "Text1")->setExactText(error);
    Click(&form, "PushButton8");
    const auto link = opener.argument(10);
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(*link, QStringLiteral("mailto:support@tervane.example?subject=Velmora Ledger Table "
                                    "Transfer Toolkit Platform&body=Here is the error message "
                                    "that I get: \n") +
                         error);
    EXPECT_TRUE(modals.boxes.empty());
}

struct Closing {
    const char* how;
    bool perTable;
    bool stopAfter;  // stopAfterPreview afterwards
};

TEST_F(PreviewWindowTest, SkipBackAndCloseBoxLeaveTheFlagsForTheRun) {
    WindowPreviewHost host(nullptr);
    const Closing cases[] = {
        {"PushButton9", true, false},  {"PushButton5", true, true},   {"close box", true, true},
        {"PushButton9", false, false}, {"PushButton5", false, false}, {"close box", false, false},
    };
    for (const Closing& c : cases) {
        // The run sets stopAfterPreview before a per-table preview and clears previewExecuted
        // before a per-file preview.
        state.stopAfterPreview = c.perTable;
        state.previewExecuted = false;
        Fill(state.statements, {"CREATE TABLE \"t\"(a INT)"});
        state.typeMappings.append({"t", "a", "int", "INT"});
        bool escapeIgnored = false;
        modals.then([&](QWidget* window) {
            QTest::keyClick(window, Qt::Key_Escape);
            escapeIgnored = window->isVisible();
            if (QString(c.how) == QStringLiteral("close box"))
                window->close();
            else
                Click(window, c.how);
        });
        host.showPreview(state);
        EXPECT_TRUE(escapeIgnored) << c.how;
        EXPECT_EQ(state.stopAfterPreview, c.stopAfter) << c.how << " per table " << c.perTable;
        EXPECT_FALSE(state.previewExecuted) << c.how;
        // However it closed, the window's statements are done with.
        EXPECT_EQ(state.statements.count(), 0) << c.how;
        EXPECT_EQ(state.typeMappings.count(), 0) << c.how;
    }
    EXPECT_TRUE(modals.boxes.empty());
}

TEST_F(PreviewWindowTest, CommandsThatChangeTheListOrCloseTheWindowWaitWhileExecuting) {
    QStringList lines;
    for (int i = 0; i < 10; ++i) lines << QStringLiteral("  ");
    Fill(state.statements, lines);
    state.stopAfterPreview = true;
    PreviewWindow form(state, nullptr);
    form.show();
    auto* bar = Child<QProgressBar>(&form, "ProgressBar1");
    int starts = 0;
    bool tried = false;
    QObject::connect(bar, &QProgressBar::valueChanged, [&](int value) {
        if (value == 100) ++starts;  // line 1 of 10
        if (value != 500 || tried) return;
        tried = true;
        EXPECT_TRUE(form.executing());
        for (const char* name : {"PushButton1", "PushButton3", "PushButton5", "PushButton9"})
            EXPECT_FALSE(Child<QPushButton>(&form, name)->isEnabled()) << name;
        EXPECT_TRUE(Child<QPushButton>(&form, "PushButton2")->isEnabled());
        form.executeSql();
        form.findAndReplace();
        form.goBack();
        form.skipTable();
        Child<QListView>(&form, "ListView1")->setCurrentIndex(state.statements.index(0));
        form.editSelectedLine();
        EXPECT_TRUE(form.isVisible());
    });
    // Should Find and Replace or Edit Line open anyway, this closes it and tells.
    bool dialogOpened = false;
    modals.then([&](QWidget* dialog) {
        dialogOpened = true;
        dialog->close();
    });
    Click(&form, "PushButton1");
    EXPECT_TRUE(tried);
    EXPECT_EQ(starts, 1);
    EXPECT_FALSE(dialogOpened);
    EXPECT_TRUE(state.previewExecuted);
    EXPECT_FALSE(state.stopAfterPreview);  // by the finished run, not by Skip
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_FALSE(form.executing());
    EXPECT_TRUE(Child<QPushButton>(&form, "PushButton5")->isEnabled());
}

TEST_F(PreviewWindowTest, ClickingALineEditsItButClickingItsCheckBoxOnlyMarksIt) {
    Fill(state.statements, {"first", "second", "third"});
    PreviewWindow form(state, nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* list = Child<StatementView>(&form, "ListView1");

    const QRect box = list->checkBoxRect(state.statements.index(0));
    ASSERT_TRUE(box.isValid());
    bool editOpened = false;
    modals.then([&](QWidget* dialog) {
        editOpened = true;
        dialog->close();
    });
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box.center());
    QApplication::processEvents();
    EXPECT_TRUE(state.statements.isChecked(0));
    EXPECT_FALSE(editOpened);
    EXPECT_EQ(modals.pendingActions(), 1);

    modals.clearActions();
    int line = 0;
    QString shown;
    modals.then([&](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), QStringLiteral("Form4"));
        line = static_cast<EditLineDialog*>(dialog)->editedLine;
        shown = Child<ExactTextBox>(dialog, "Text1")->exactText();
        Child<ExactTextBox>(dialog, "Text1")->setExactText(QStringLiteral("2nd"));
        Click(dialog, "PushButton2");
    });
    const QRect row = list->visualRect(state.statements.index(1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      QPoint(row.left() + 200, row.center().y()));
    EXPECT_EQ(line, 2);
    EXPECT_EQ(shown, QStringLiteral("second"));
    EXPECT_EQ(Texts(state.statements), QStringList({"first", "2nd", "third"}));
}

TEST_F(PreviewWindowTest, TheKeyboardAloneReachesEveryCommand) {
    Fill(state.statements, {"first", "second", "third"});
    PreviewWindow form(state, nullptr);
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    auto* list = Child<StatementView>(&form, "ListView1");
    auto* error = Child<ExactTextBox>(&form, "Text1");
    list->setFocus();

    // Tab visits every control in turn, the error box included, and never types a tab
    // into it; Shift+Tab goes back the same way.
    const QStringList order = {"ListView1",   "PushButton1", "PushButton3", "PushButton2",
                               "Text1",       "PushButton6", "PushButton4", "PushButton8",
                               "PushButton7", "PushButton5", "PushButton9", "ListView1"};
    QStringList forward, backward;
    for (int i = 0; i < order.size(); ++i) {
        forward << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(forward, order);
    for (int i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        backward.prepend(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(backward, order);
    EXPECT_EQ(error->exactText(), QString());

    // Return on a line edits it; Escape closes Edit Line and Find and Replace.
    int editedLine = 0;
    bool editClosed = false, findClosed = false;
    auto escape = [](QWidget* dialog, bool& closed) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        closed = !dialog->isVisible();
        if (!closed) dialog->close();
    };
    modals.then([&](QWidget* dialog) {
        editedLine = static_cast<EditLineDialog*>(dialog)->editedLine;
        escape(dialog, editClosed);
    });
    list->setFocus();
    list->setCurrentIndex(state.statements.index(1));
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(editedLine, 2);
    EXPECT_TRUE(editClosed);

    modals.then([&](QWidget* dialog) { escape(dialog, findClosed); });
    auto* findButton = Child<QPushButton>(&form, "PushButton3");
    findButton->setFocus();
    QTest::keyClick(findButton, Qt::Key_Space);
    EXPECT_TRUE(findClosed);
    EXPECT_EQ(Texts(state.statements), QStringList({"first", "second", "third"}));
    EXPECT_TRUE(form.isVisible());
}

TEST_F(PreviewWindowTest, TheContextMenuTicksEveryLineAndMarksTheSelectedOnes) {
    Fill(state.statements, {"a", "b", "c"});
    PreviewWindow form(state, nullptr);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* list = Child<StatementView>(&form, "ListView1");
    auto ticked = [&] {
        QList<bool> marks;
        for (int i = 0; i < state.statements.count(); ++i) marks << state.statements.isChecked(i);
        return marks;
    };
    // Ctrl+A then Space ticks every line; Space again unticks them.
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(ticked(), QList<bool>({true, true, true}));
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(ticked(), QList<bool>({false, false, false}));

    // The list's context menu does the same.
    auto choose = [&](const QString& action) {
        QTimer::singleShot(50, [action] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu) return;
            for (QAction* a : menu->actions())
                if (QString(a->text()).remove(u'&') == action) a->trigger();
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(10, 10),
                                list->viewport()->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(list->viewport(), &event);
    };
    choose(QStringLiteral("Tick all"));
    EXPECT_EQ(ticked(), QList<bool>({true, true, true}));
    Click(&form, "PushButton2");
    EXPECT_EQ(ClipboardText(), QStringLiteral("a\r\nb\r\nc\r\n"));
    choose(QStringLiteral("Untick all"));
    EXPECT_EQ(ticked(), QList<bool>({false, false, false}));

    // "Mark as run" and "Skip line" take the selected lines out of the next execution;
    // "Mark as not run" puts them back.
    list->setCurrentIndex(state.statements.index(0));
    choose(QStringLiteral("Mark as run"));
    list->setCurrentIndex(state.statements.index(1));
    choose(QStringLiteral("Skip line"));
    EXPECT_TRUE(state.statements.isExecuted(0));
    EXPECT_TRUE(state.statements.isSkipped(1));
    EXPECT_EQ(state.statements.firstPending(), 2);
    EXPECT_EQ(Child<CaptionedProgressBar>(&form, "ProgressBar1")->text(),
              QStringLiteral("1 of 3 lines done, 1 skipped; Execute SQL resumes at line 3"));
    choose(QStringLiteral("Mark as not run"));
    EXPECT_TRUE(state.statements.isPending(1));
    EXPECT_EQ(state.statements.firstPending(), 1);
}

}  // namespace
}  // namespace velmora::test
