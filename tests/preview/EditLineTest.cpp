// Edit Line: OK writes the box back exactly, Cancel changes nothing, the statement is
// selected whole whenever the box gets the focus.

#include <QTest>

#include "preview/EditLineDialog.h"
#include "preview/ExactTextBox.h"
#include "tests/preview/ModalHandler.h"
#include "tests/preview/PreviewFixtures.h"

namespace velmora::test {
namespace {

struct EditLineTest : ::testing::Test {
    StatementList list;
    ModalHandler modals;
    void SetUp() override { Fill(list, {"first", QStringLiteral("a\r\nb\u00a0c\td  "), "third"}); }
};

// OK (or Return) with the text as it was changes nothing: a line that ran stays run, so
// Execute SQL does not run it a second time.
TEST_F(EditLineTest, OkWithoutChangesKeepsTheLineAndItsRunState) {
    list.setExecuted(0);
    list.setExecuted(1);
    EditLineDialog dialog(list, nullptr);
    dialog.setStatement(2, list.text(1));
    dialog.show();
    Click(&dialog, "PushButton2");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(list.text(1), QStringLiteral("a\r\nb\u00a0c\td  "));
    EXPECT_TRUE(list.isExecuted(1));
    EXPECT_EQ(list.firstPending(), 2);

    EditLineDialog byKey(list, nullptr);
    byKey.setStatement(1, list.text(0));
    byKey.show();
    QTest::keyClick(Child<ExactTextBox>(&byKey, "Text1"), Qt::Key_Return);
    EXPECT_FALSE(byKey.isVisible());
    EXPECT_TRUE(list.isExecuted(0));
    EXPECT_TRUE(modals.boxes.empty());

    // A changed text runs again.
    EditLineDialog changed(list, nullptr);
    changed.setStatement(1, QStringLiteral("first "));
    Click(&changed, "PushButton2");
    EXPECT_TRUE(list.isPending(0));
    EXPECT_EQ(list.firstPending(), 0);
}

TEST_F(EditLineTest, TypedTextReplacesTheStatementWithItsLineBreaks) {
    EditLineDialog dialog(list, nullptr);
    dialog.setStatement(1, list.text(0));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* text = Child<ExactTextBox>(&dialog, "Text1");
    ASSERT_EQ(QApplication::focusWidget(), text);
    EXPECT_EQ(text->textCursor().selectedText(), QStringLiteral("first"));
    QTest::keyClicks(text, QStringLiteral("SELECT 1 "));
    QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClicks(text, QStringLiteral("FROM \"t\" "));
    Click(&dialog, "PushButton2");
    EXPECT_EQ(Texts(list), QStringList({"SELECT 1 \nFROM \"t\" ",
                                        QStringLiteral("a\r\nb\u00a0c\td  "), "third"}));

    // An emptied box empties the statement.
    EditLineDialog again(list, nullptr);
    again.setStatement(3, list.text(2));
    Child<ExactTextBox>(&again, "Text1")->selectAll();
    Child<ExactTextBox>(&again, "Text1")->textCursor().removeSelectedText();
    Click(&again, "PushButton2");
    EXPECT_EQ(list.text(2), QString());
}

TEST_F(EditLineTest, FocusComingBackSelectsTheWholeStatementAgain) {
    EditLineDialog dialog(list, nullptr);
    dialog.setStatement(1, QStringLiteral("SELECT * FROM \"t\""));
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    auto* text = Child<ExactTextBox>(&dialog, "Text1");
    text->moveCursor(QTextCursor::End);
    EXPECT_TRUE(text->textCursor().selectedText().isEmpty());
    QTest::keyClick(&dialog, Qt::Key_Tab);  // to OK
    EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(&dialog, "PushButton2"));
    QTest::keyClick(&dialog, Qt::Key_Tab);  // to Cancel
    EXPECT_EQ(QApplication::focusWidget(), Child<QPushButton>(&dialog, "PushButton1"));
    QTest::keyClick(&dialog, Qt::Key_Tab);  // round to the box
    ASSERT_EQ(QApplication::focusWidget(), text);
    EXPECT_EQ(text->textCursor().selectedText(), QStringLiteral("SELECT * FROM \"t\""));
}

TEST_F(EditLineTest, CancelLeavesTheStatementAsItWas) {
    EditLineDialog dialog(list, nullptr);
    dialog.setStatement(1, list.text(0));
    dialog.show();
    QTest::keyClicks(Child<ExactTextBox>(&dialog, "Text1"), QStringLiteral("changed"));
    Click(&dialog, "PushButton1");
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(list.text(0), QStringLiteral("first"));
}

TEST_F(EditLineTest, ALineThatIsNoLongerThereIsReportedAndTheDialogStillCloses) {
    EditLineDialog dialog(list, nullptr);
    dialog.setStatement(4, QStringLiteral("x"));
    dialog.show();
    Click(&dialog, "PushButton2");
    EXPECT_FALSE(dialog.isVisible());
    ASSERT_EQ(modals.boxes.size(), 1u);
    EXPECT_TRUE(modals.boxes[0].text.startsWith(
        QStringLiteral("Index out of bounds\r\nin Kestrune2021/08/31.Form4.PushButton2_Click at "
                       "line 100\r\r")));
    EXPECT_EQ(Texts(list), QStringList({"first", QStringLiteral("a\r\nb\u00a0c\td  "), "third"}));
}

}  // namespace
}  // namespace velmora::test
