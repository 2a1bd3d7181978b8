#include "preview/DatatypesView.h"

#include <QBoxLayout>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
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
    // The rows in the plain font under bold headings; nothing here can be edited.
    mappingList->setFont(WindowFont(false));
    mappingList->header()->setFont(WindowFont(true));
    mappingList->setToolTip(
        QStringLiteral("Drag the divider between two headings to widen a column."));
    mappingList->setRootIsDecorated(false);
    mappingList->setItemsExpandable(false);
    mappingList->setUniformRowHeights(true);
    mappingList->setSelectionBehavior(QAbstractItemView::SelectRows);
    mappingList->setSelectionMode(QAbstractItemView::SingleSelection);
    mappingList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    mappingList->header()->setStretchLastSection(true);
    mappingList->header()->setSectionsMovable(false);
    mappingList->header()->setSectionResizeMode(QHeaderView::Interactive);
    backButton = new QPushButton(QStringLiteral("< &Back"), this);
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
    // Each column as wide as its whole heading and its longest text.
    int columnsWidth = 0;
    for (int column = 0; column < 4; ++column)
        proc.step(loadStep::kFirstColumnWidth + 2 * column, [&] {
            QHeaderView* header = mappingList->header();
            const int margin =
                header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
            const QString caption =
                mappings_.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
            const int whole = QFontMetrics(header->font()).horizontalAdvance(caption) + 4 * margin;
            mappingList->resizeColumnToContents(column);
            const int widest = header->sectionSize(column) + 2 * margin;
            header->resizeSection(column, std::max({TwipsToPixels(1700), whole, widest}));
            columnsWidth += header->sectionSize(column);
        });
    // The window opens wide enough to show every column whole, as far as the screen allows.
    const int frame = mappingList->frameWidth() * 2 +
                      mappingList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                      TwipsToPixels(240);
    const int available = screen() ? screen()->availableGeometry().width() * 9 / 10 : width();
    if (columnsWidth + frame > width()) resize(std::min(columnsWidth + frame, available), height());
}

void DatatypesView::goBack() {
    Procedure proc(prompts_, names::kBackClick);
    proc.step(backStep::kClose, [&] { accept(); });
}

}  // namespace velmora
