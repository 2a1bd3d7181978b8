#include "preview/Form5.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

Form5::Form5(TypeMappingList& mappings, QWidget* owner)
    : QDialog(owner), mappings_(mappings), prompts_(this) {
    setObjectName(QStringLiteral("Form5"));
    buildControls();
    MakeSizableWindow(*this, TwipsSize(8040, 8340));
    pointer_ = new PointerRules(this);
    Form_Load();
}

void Form5::buildControls() {
    setFont(WindowFont(true));
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
    ListView1->header()->setStretchLastSection(true);
    ListView1->header()->setSectionsMovable(false);
    ListView1->header()->setSectionResizeMode(QHeaderView::Interactive);
    PushButton5 = new QPushButton(QStringLiteral("< Back"), this);
    PushButton5->setObjectName(QStringLiteral("PushButton5"));
    PushButton5->setAutoDefault(false);
    PushButton5->setMinimumHeight(TwipsToPixels(405));
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(120),
                               TwipsToPixels(105));
    window->setSpacing(TwipsToPixels(105));
    window->addWidget(PushButton5);
    window->addWidget(ListView1, 1);
    setTabOrder(ListView1, PushButton5);
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
}

void Form5::Form_Load() {
    Procedure proc(prompts_, reportLocation(QStringLiteral("Form5"), QStringLiteral("Form_Load")));
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Datatypes Conversion"), 100);
    // The four headings are the list's own ("MS Access Table" to "New Paradox Datatype").
    proc.step(112, [&] { ListView1->setModel(&mappings_); });
    // Each column at least as wide as its whole heading.
    for (int column = 0; column < 4; ++column)
        proc.step(120 + 2 * column, [&] {
            QHeaderView* header = ListView1->header();
            const int margin =
                header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            const QString caption =
                mappings_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            const int whole = QFontMetrics(header->font()).horizontalAdvance(caption) + 4 * margin;
            header->resizeSection(column, std::max(TwipsToPixels(1700), whole));
        });
}

void Form5::PushButton5_Click() {
    Procedure proc(prompts_,
                   reportLocation(QStringLiteral("Form5"), QStringLiteral("PushButton5_Click")));
    proc.step(100, [&] { accept(); });
}

}  // namespace velmora
