// Find and Replace: every occurrence (or the first) per statement, without regard to case
// by the locale's rules unless Match case is ticked, one visit per statement, the count of
// replacements, and the refusals that change nothing.

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "common/AppInfo.h"
#include "preview/FindReplaceDialog.h"
#include "preview/LocaleFind.h"
#include "tests/preview/ModalHandler.h"
#include "tests/preview/PreviewFixtures.h"

namespace velmora::test {
namespace {

struct FindReplaceTest : ::testing::Test {
    StatementList list;
    ModalHandler modals;

    // Runs one pass with the dialog as the user fills it; true when the dialog closed.
    bool replace(const QString& find, const QString& with, QLocale locale = QLocale::c(),
                 bool matchCase = false, bool everyOccurrence = true) {
        FindReplaceDialog dialog(list, nullptr, std::move(locale));
        dialog.show();
        Child<QLineEdit>(&dialog, "Text1")->setText(find);
        Child<QLineEdit>(&dialog, "Text2")->setText(with);
        Child<QCheckBox>(&dialog, "MatchCase")->setChecked(matchCase);
        Child<QCheckBox>(&dialog, "ReplaceAll")->setChecked(everyOccurrence);
        Click(&dialog, "PushButton2");
        return !dialog.isVisible();
    }
};

TEST_F(FindReplaceTest, ReplacesEveryOccurrenceAndCountsThem) {
    Fill(list, {"INSERT INTO \"t\" VALUES('Abc','abc')", "select abc from ABC", "none here"});
    EXPECT_TRUE(replace(QStringLiteral("aBC"), QStringLiteral("X")));
    EXPECT_EQ(Texts(list),
              QStringList({"INSERT INTO \"t\" VALUES('X','X')", "select X from X", "none here"}));
    ASSERT_EQ(modals.boxes.size(), 1u);
    EXPECT_EQ(modals.boxes[0].text, QStringLiteral("4 replacements in 2 statements."));
    EXPECT_EQ(modals.boxes[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(modals.boxes[0].icon, QMessageBox::NoIcon);

    // A replacement holding the find text is not searched again; the statement is
    // visited once.
    list.clear();
    Fill(list, {"ab ab", "xx", "AB"});
    EXPECT_TRUE(replace(QStringLiteral("ab"), QStringLiteral("abab")));
    EXPECT_EQ(Texts(list), QStringList({"abab abab", "xx", "abab"}));
    EXPECT_EQ(modals.boxes.back().text, QStringLiteral("3 replacements in 2 statements."));
    // An empty replacement deletes.
    EXPECT_TRUE(replace(QStringLiteral("BA"), QString()));
    EXPECT_EQ(Texts(list), QStringList({"ab ab", "xx", "ab"}));
}

TEST_F(FindReplaceTest, MatchCaseAndFirstOccurrenceOnlyNarrowThePass) {
    Fill(list, {"abc ABC abc", "ABC"});
    EXPECT_TRUE(replace(QStringLiteral("abc"), QStringLiteral("x"), QLocale::c(), true));
    EXPECT_EQ(Texts(list), QStringList({"x ABC x", "ABC"}));
    EXPECT_EQ(modals.boxes.back().text, QStringLiteral("2 replacements in 1 statement."));
    EXPECT_TRUE(replace(QStringLiteral("abc"), QStringLiteral("y"), QLocale::c(), false, false));
    EXPECT_EQ(Texts(list), QStringList({"x y x", "y"}));
}

TEST_F(FindReplaceTest, NoMatchChangesNothingAndKeepsTheDialogOpen) {
    Fill(list, {"one", "two"});
    EXPECT_FALSE(replace(QStringLiteral("three"), QStringLiteral("3")));
    EXPECT_EQ(Texts(list), QStringList({"one", "two"}));
    EXPECT_EQ(modals.texts(), QStringList({"No match"}));
    // Case counts when asked to.
    EXPECT_FALSE(replace(QStringLiteral("ONE"), QStringLiteral("1"), QLocale::c(), true));
    EXPECT_EQ(modals.texts(), QStringList({"No match", "No match"}));
}

// Only a statement whose text changes has to run again.
TEST_F(FindReplaceTest, AStatementWhoseTextStaysKeepsItsRunState) {
    Fill(list, {"CREATE TABLE \"a\"", "CREATE TABLE \"b\"", "INSERT INTO \"a\""});
    for (int i = 0; i < 3; ++i) list.setExecuted(i);
    EXPECT_TRUE(replace(QStringLiteral("TABLE"), QStringLiteral("TABLE"), QLocale::c(), true));
    EXPECT_EQ(list.executedCount(), 3);
    EXPECT_EQ(list.firstPending(), 3);
    EXPECT_TRUE(replace(QStringLiteral("\"b\""), QStringLiteral("\"c\"")));
    EXPECT_TRUE(list.isExecuted(0));
    EXPECT_TRUE(list.isPending(1));
    EXPECT_TRUE(list.isExecuted(2));
    EXPECT_EQ(list.firstPending(), 1);
}

TEST_F(FindReplaceTest, RefusalsLeaveTheDialogOpenAndTheListAlone) {
    {
        StatementList empty;
        FindReplaceDialog dialog(empty, nullptr);
        dialog.show();
        Child<QLineEdit>(&dialog, "Text1")->setText(QStringLiteral("a"));
        Click(&dialog, "PushButton2");
        Click(&dialog, "PushButton2");
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_EQ(modals.texts(), QStringList({"No SQL to run.", "No SQL to run."}));
    }
    Fill(list, {"abc"});
    EXPECT_FALSE(replace(QString(), QStringLiteral("x")));
    EXPECT_EQ(Texts(list), QStringList({"abc"}));
    ASSERT_EQ(modals.boxes.size(), 3u);
    EXPECT_EQ(modals.boxes[2].text,
              QStringLiteral("Please type the text to find in \"Find what:\"."));

    FindReplaceDialog dialog(list, nullptr);
    dialog.show();
    Child<QLineEdit>(&dialog, "Text1")->setText(QStringLiteral("abc"));
    Child<QLineEdit>(&dialog, "Text2")->setText(QStringLiteral("x"));
    Click(&dialog, "PushButton1");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Texts(list), QStringList({"abc"}));
    EXPECT_EQ(modals.boxes.size(), 3u);
}

TEST_F(FindReplaceTest, OpensEmptyWithTheFocusInFindWhat) {
    FindReplaceDialog dialog(list, nullptr);
    EXPECT_EQ(dialog.windowTitle(),
              QStringLiteral("Find and Replace - Velmora Ledger Table Transfer Toolkit Platform"));
    EXPECT_EQ(dialog.size(), QSize(536, 130));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_EQ(QApplication::focusWidget(), Child<QLineEdit>(&dialog, "Text1"));
    EXPECT_TRUE(Child<QLineEdit>(&dialog, "Text1")->text().isEmpty());
    EXPECT_TRUE(Child<QLineEdit>(&dialog, "Text2")->text().isEmpty());
}

TEST(LocaleFind, FollowsTheCaseRulesOfTheLocale) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale turkish(QLocale::Turkish, QLocale::Turkey);
    EXPECT_EQ(LocaleFind(QStringLiteral("insert"), english).firstIn(u"x INSERT"), 2);
    // In Turkish the capital of i is İ, and I is the capital of ı.
    EXPECT_EQ(LocaleFind(QStringLiteral("insert"), turkish).firstIn(u"x INSERT"), -1);
    EXPECT_EQ(LocaleFind(QStringLiteral("insert"), turkish).firstIn(u"x İNSERT"), 2);
    EXPECT_EQ(LocaleFind(QStringLiteral("ınsert"), turkish).firstIn(u"INSERT"), 0);
    // Letters beyond ASCII, and positions that stay exact.
    EXPECT_EQ(LocaleFind(QStringLiteral("ÉTÉ"), english).firstIn(u"un été"), 3);
    EXPECT_EQ(LocaleFind(QStringLiteral("ab"), english).firstIn(u"aab"), 1);
    EXPECT_EQ(LocaleFind(QString(), english).firstIn(u"abc"), -1);
    EXPECT_EQ(LocaleFind(QStringLiteral("abcd"), english).firstIn(u"abc"), -1);
}

TEST_F(FindReplaceTest, TheDialogUsesTheLocaleGiven) {
    Fill(list, {"INSERT", "insert"});
    EXPECT_TRUE(replace(QStringLiteral("insert"), QStringLiteral("x"),
                        QLocale(QLocale::Turkish, QLocale::Turkey)));
    EXPECT_EQ(Texts(list), QStringList({"INSERT", "x"}));
}

}  // namespace
}  // namespace velmora::test
