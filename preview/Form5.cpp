#include "preview/Form5.h"

#include <QHeaderView>

#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

Form5::Form5(TypeMappingList& mappings, QWidget* owner)
    : QDialog(owner), mappings_(mappings), prompts_(this) {
    setObjectName(QStringLiteral("Form5"));
    MakeFixedWindow(*this, TwipsSize(8040, 8340));
    buildControls();
    pointer_ = new PointerRules(this);
    Form_Load();
}

void Form5::buildControls() {
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(9);
    arial.setBold(true);
    setFont(arial);
    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setToolTip(QStringLiteral(
        "Click item to edit it. Move | line to right and out of window to reveal full names."));
    ListView1->setRootIsDecorated(false);
    ListView1->setItemsExpandable(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setStretchLastSection(false);
    ListView1->header()->setSectionsMovable(false);
    ListView1->header()->setSectionResizeMode(QHeaderView::Interactive);
    PlaceInTwips(ListView1, 120, 630, 7800, 7605);
    PushButton5 = new QPushButton(QStringLiteral("< Back"), this);
    PushButton5->setObjectName(QStringLiteral("PushButton5"));
    PushButton5->setAutoDefault(false);
    PlaceInTwips(PushButton5, 120, 120, 7800, 405);
    setTabOrder(ListView1, PushButton5);
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
}

void Form5::Form_Load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form5"), QStringLiteral("Form_Load")));
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Datatypes Conversion"), 100);
    // The four headings are the list's own ("MS Access Table" to "New Paradox Datatype").
    proc.step(112, [&] { ListView1->setModel(&mappings_); });
    for (int column = 0; column < 4; ++column)
        proc.step(120 + 2 * column,
                  [&] { ListView1->header()->resizeSection(column, TwipsToPixels(1700)); });
}

void Form5::PushButton5_Click() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form5"), QStringLiteral("PushButton5_Click")));
    proc.step(100, [&] { accept(); });
}

}  // namespace velmora
