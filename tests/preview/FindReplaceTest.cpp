// Find and Replace: first occurrence per statement, without regard to case by the
// locale's rules, one visit per statement, and the refusals that change nothing.

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
    bool replace(const QString& find, const QString& with, QLocale locale = QLocale::c()) {
        FindReplaceDialog dialog(list, nullptr, std::move(locale));
        dialog.show();
        Child<QLineEdit>(&dialog, "Text1")->setText(find);
        Child<QLineEdit>(&dialog, "Text2")->setText(with);
        Click(&dialog, "PushButton2");
        return !dialog.isVisible();
    }
};

TEST_F(FindReplaceTest, ReplacesTheFirstOccurrenceInAnyMixOfCases) {
    Fill(list, {"INSERT INTO \"t\" VALUES('Abc','abc')", "select abc from ABC", "none here"});
    EXPECT_TRUE(replace(QStringLiteral("aBC"), QStringLiteral("X")));
    EXPECT_EQ(Texts(list), QStringList({"INSERT INTO \"t\" VALUES('X','abc')", "select X from ABC",
                                        "none here"}));
    ASSERT_EQ(modals.boxes.size(), 1u);
    EXPECT_EQ(modals.boxes[0].text, QStringLiteral("Done."));
    EXPECT_EQ(modals.boxes[0].caption, QStringLiteral("Velmora"));
    EXPECT_EQ(modals.boxes[0].icon, QMessageBox::NoIcon);

    // A second pass takes the next occurrence.
    EXPECT_TRUE(replace(QStringLiteral("abc"), QStringLiteral("Y")));
    EXPECT_EQ(Texts(list),
              QStringList({"INSERT INTO \"t\" VALUES('X','Y')", "select X from Y", "none here"}));
}

TEST_F(FindReplaceTest, VisitsEachStatementOnceEvenWhenTheReplacementHoldsTheFindText) {
    Fill(list, {"ab ab", "xx", "AB"});
    EXPECT_TRUE(replace(QStringLiteral("ab"), QStringLiteral("abab")));
    EXPECT_EQ(Texts(list), QStringList({"abab ab", "xx", "abab"}));

    // An empty replacement deletes the occurrence.
    EXPECT_TRUE(replace(QStringLiteral("BA"), QString()));
    EXPECT_EQ(Texts(list), QStringList({"ab ab", "xx", "ab"}));
}

TEST_F(FindReplaceTest, TextFoundNowhereChangesNothingButStillEnds) {
    Fill(list, {"one", "two"});
    EXPECT_TRUE(replace(QStringLiteral("three"), QStringLiteral("3")));
    EXPECT_EQ(Texts(list), QStringList({"one", "two"}));
    EXPECT_EQ(modals.texts(), QStringList({"Done."}));
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
    EXPECT_EQ(dialog.size(), QSize(536, 100));
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
