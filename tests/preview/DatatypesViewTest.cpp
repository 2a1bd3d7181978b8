// The Datatypes Conversion window: four columns of the run's type mappings, shown
// again at every opening.

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <QTreeView>

#include "preview/DatatypesView.h"
#include "preview/PreviewWindow.h"
#include "tests/preview/ModalHandler.h"
#include "tests/preview/PreviewFixtures.h"

namespace velmora::test {
namespace {

QStringList Row(QTreeView* view, int row) {
    QStringList cells;
    for (int c = 0; c < view->model()->columnCount(); ++c)
        cells << view->model()->index(row, c).data().toString();
    return cells;
}

TEST(DatatypesView, ShowsFourWholeHeadingsAndGrowsWithTheWindow) {
    TypeMappingList mappings;
    DatatypesView empty(mappings, nullptr);
    auto* view = Child<QTreeView>(&empty, "ListView1");
    EXPECT_EQ(
        empty.windowTitle(),
        QStringLiteral("Datatypes Conversion - Velmora Ledger Table Transfer Toolkit Platform"));
    EXPECT_EQ(view->model()->rowCount(), 0);
    QStringList headings;
    for (int c = 0; c < 4; ++c) headings << view->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headings, QStringList({"MS Access Table", "MS Access Table Field",
                                     "MS Access Field Datatype", "New Paradox Datatype"}));

    empty.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&empty));
    EXPECT_EQ(empty.size(), QSize(536, 556));
    EXPECT_LT(empty.minimumSize().width(), empty.maximumSize().width());
    // No heading is cut: each column is wider than its caption's text.
    const QFontMetrics metrics(view->header()->font());
    for (int c = 0; c < 4; ++c)
        EXPECT_GT(view->header()->sectionSize(c), metrics.horizontalAdvance(headings[c]) + 6)
            << headings[c].toStdString() << " " << view->header()->sectionSize(c);
    const QSize before = view->size();
    empty.resize(800, 700);
    QApplication::processEvents();
    EXPECT_EQ(view->width() - before.width(), 800 - 536);
    EXPECT_EQ(view->height() - before.height(), 700 - 556);
}

TEST(DatatypesView, RowsSurviveClosingAndShowAgainAtTheNextOpening) {
    RunState state;
    state.typeMappings.append({"Orders", "OrderID", "int", "INT"});
    state.typeMappings.append({"Orders", "Notes", "longvar", "VARCHAR"});
    ModalHandler modals;
    std::vector<QStringList> seen;
    auto look = [&](QWidget* window) {
        auto* view = Child<QTreeView>(window, "ListView1");
        for (int r = 0; r < view->model()->rowCount(); ++r) seen.push_back(Row(view, r));
        Click(window, "PushButton5");
    };
    PreviewWindow preview(state, nullptr);
    preview.show();
    modals.then(look);
    Click(&preview, "PushButton7");
    modals.then(look);
    Click(&preview, "PushButton7");
    const QStringList first = {"Orders", "OrderID", "int", "INT"};
    const QStringList second = {"Orders", "Notes", "longvar", "VARCHAR"};
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0], first);
    EXPECT_EQ(seen[1], second);
    EXPECT_EQ(seen[2], first);
    EXPECT_EQ(seen[3], second);
    EXPECT_TRUE(preview.isVisible());
    EXPECT_TRUE(modals.boxes.empty());
}

}  // namespace
}  // namespace velmora::test
