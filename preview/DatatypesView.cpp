#include "preview/DatatypesView.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>

#include "common/UiNames.h"
#include "preview/OpeningSteps.h"
#include "preview/Twips.h"

namespace velmora {

namespace {
namespace names = ui::datatypes;

// The steps of each procedure as its reports number them.
namespace loadStep {
constexpr int kColors = 100;
constexpr int kShowMappings = 112;
// The width of column c (from 0) is step kFirstColumnWidth + 2 * c.
constexpr int kFirstColumnWidth = 120;
}  // namespace loadStep
namespace backStep {
constexpr int kClose = 100;
}  // namespace backStep
}  // namespace

DatatypesView::DatatypesView(TypeMappingList& mappings, QWidget* owner)
    : QDialog(owner), mappings_(mappings), prompts_(this) {
    setObjectName(names::kWindow);
    buildControls();
    MakeSizableWindow(*this, TwipsSize(8040, 8340));
    pointer_ = new PointerRules(this);
    load();
}

void DatatypesView::buildControls() {
    setFont(WindowFont(true));
    mappingList = new QTreeView(this);
    mappingList->setObjectName(names::kMappingList);
    mappingList->setToolTip(QStringLiteral(
        "Click item to edit it. Move | line to right and out of window to reveal full names."));
    mappingList->setRootIsDecorated(false);
    mappingList->setItemsExpandable(false);
    mappingList->setUniformRowHeights(true);
    mappingList->setSelectionBehavior(QAbstractItemView::SelectRows);
    mappingList->setSelectionMode(QAbstractItemView::SingleSelection);
    mappingList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mappingList->header()->setStretchLastSection(true);
    mappingList->header()->setSectionsMovable(false);
    mappingList->header()->setSectionResizeMode(QHeaderView::Interactive);
    backButton = new QPushButton(QStringLiteral("< Back"), this);
    backButton->setObjectName(names::kBackButton);
    backButton->setAutoDefault(false);
    backButton->setMinimumHeight(TwipsToPixels(405));
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(TwipsToPixels(120), TwipsToPixels(120), TwipsToPixels(120),
                               TwipsToPixels(105));
    window->setSpacing(TwipsToPixels(105));
    window->addWidget(backButton);
    window->addWidget(mappingList, 1);
    setTabOrder(mappingList, backButton);
    connect(backButton, &QPushButton::clicked, this, [this] { goBack(); });
}

void DatatypesView::load() {
    Procedure proc(prompts_, names::kLoad);
    RunOpeningSteps(*this, proc, *pointer_, QStringLiteral("Datatypes Conversion"),
                    loadStep::kColors);
    // The four headings are the list's own ("MS Access Table" to "New Paradox Datatype").
    proc.step(loadStep::kShowMappings, [&] { mappingList->setModel(&mappings_); });
    // Each column at least as wide as its whole heading.
    for (int column = 0; column < 4; ++column)
        proc.step(loadStep::kFirstColumnWidth + 2 * column, [&] {
            QHeaderView* header = mappingList->header();
            const int margin =
                header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            const QString caption =
                mappings_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            const int whole = QFontMetrics(header->font()).horizontalAdvance(caption) + 4 * margin;
            header->resizeSection(column, std::max(TwipsToPixels(1700), whole));
        });
}

void DatatypesView::goBack() {
    Procedure proc(prompts_, names::kBackClick);
    proc.step(backStep::kClose, [&] { accept(); });
}

}  // namespace velmora
