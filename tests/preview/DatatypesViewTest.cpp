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

TEST(DatatypesView, ShowsEveryHeadingAndTextWholeAndGrowsWithTheWindow) {
    TypeMappingList mappings;
    mappings.append(
        {"Employees", "Photo", "adlongvarbinary", "VARCHAR (left empty)", "OLE Object"});
    DatatypesView view(mappings, nullptr);
    auto* list = Child<QTreeView>(&view, "ListView1");
    EXPECT_EQ(
        view.windowTitle(),
        QStringLiteral("Datatypes Conversion - Velmora Ledger Table Transfer Toolkit Platform"));
    QStringList headings;
    for (int c = 0; c < 4; ++c) headings << list->model()->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(headings, QStringList({"MS Access Table", "MS Access Table Field",
                                     "MS Access Field Datatype", "New Paradox Datatype"}));
    // Access's own name for the type, in the plain font under bold headings.
    EXPECT_EQ(Row(list, 0),
              QStringList({"Employees", "Photo", "OLE Object", "VARCHAR (left empty)"}));
    EXPECT_FALSE(list->font().bold());
    EXPECT_TRUE(list->header()->font().bold());

    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    EXPECT_GE(view.width(), 536);
    EXPECT_EQ(view.height(), 556);
    EXPECT_LT(view.minimumSize().width(), view.maximumSize().width());
    // No heading and no text is cut, and all four columns are in view.
    const QFontMetrics bold(list->header()->font());
    const QFontMetrics plain(list->font());
    int columns = 0;
    for (int c = 0; c < 4; ++c) {
        const int width = list->header()->sectionSize(c);
        EXPECT_GT(width, bold.horizontalAdvance(headings[c]) + 6) << headings[c].toStdString();
        EXPECT_GT(width, plain.horizontalAdvance(Row(list, 0)[c]) + 6) << c;
        columns += width;
    }
    EXPECT_LE(columns, list->viewport()->width());
    const QSize before = list->size();
    view.resize(view.width() + 200, 700);
    QApplication::processEvents();
    EXPECT_EQ(list->width() - before.width(), 200);
    EXPECT_EQ(list->height() - before.height(), 700 - 556);
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
