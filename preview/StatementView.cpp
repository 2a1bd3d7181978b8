#include "preview/StatementView.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "common/UiNames.h"
#include "engine/StatementList.h"

namespace velmora {

namespace {
// Painting a huge statement would lay out all of it just to cut it at the column's edge.
constexpr qsizetype kShownCharacters = 4096;

enum class Status { Pending, Run, Skipped };

// Blank for a line still to run, a green tick for one that ran, a grey arrow past a
// skipped one.
QIcon statusIcon(Status status) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    if (status == Status::Run) {
        painter.setPen(
            QPen(QColor(0x2e, 0x7d, 0x32), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
    } else if (status == Status::Skipped) {
        painter.setPen(
            QPen(QColor(0x75, 0x75, 0x75), 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawLine(QPointF(2.5, 8), QPointF(13, 8));
        painter.drawPolyline(QPolygonF({QPointF(9.5, 4.5), QPointF(13, 8), QPointF(9.5, 11.5)}));
    }
    return QIcon(pixmap);
}
}  // namespace

class StatementView::RowDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int width = 0;

    // A status place beside the check box, blank until the line has run, then a tick,
    // with the line's text greyed; a skipped line's text is greyed and struck through.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        static const QIcon tick = statusIcon(Status::Run);
        static const QIcon blank = statusIcon(Status::Pending);
        static const QIcon skip = statusIcon(Status::Skipped);
        const bool executed = index.data(StatementList::ExecutedRole).toBool();
        const bool skipped = index.data(StatementList::SkippedRole).toBool();
        const int side = option->fontMetrics.height();
        option->features |= QStyleOptionViewItem::HasDecoration;
        option->decorationSize = QSize(side, side);
        option->icon = executed ? tick : skipped ? skip : blank;
        if (executed || skipped)
            option->palette.setColor(QPalette::Text,
                                     option->palette.color(QPalette::Disabled, QPalette::Text));
        if (skipped) option->font.setStrikeOut(true);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        // One line of text beside a check box, whatever the statement holds.
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text = QStringLiteral("Xg");
        const QWidget* widget = option.widget;
        const QStyle* style = widget ? widget->style() : nullptr;
        const int height =
            style ? style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget).height()
                  : opt.fontMetrics.height();
        return {width, height};
    }

    // The row is drawn, and cut, at the column's edge even where the view is wider.
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        opt.rect.setWidth(width);
        QStyledItemDelegate::paint(painter, opt, index);
    }

    QString displayText(const QVariant& value, const QLocale&) const override {
        QString text = value.toString();
        if (text.size() > kShownCharacters) text.truncate(kShownCharacters);
        for (QChar& c : text)
            if (c == u'\n' || c == u'\r' || c == u'\t') c = u' ';
        return text;
    }
};

StatementView::StatementView(QWidget* parent)
    : QListView(parent),
      header_(new QHeaderView(Qt::Horizontal, this)),
      delegate_(new RowDelegate(this)) {
    setItemDelegate(delegate_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideRight);
    setWordWrap(false);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setStretchLastSection(false);
    header_->setSectionsClickable(false);
    header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header_, &QHeaderView::sectionResized, this, [this](int, int, int size) {
        if (!fitting_) chosenWidth_ = size;  // dragged by the user
        columnResized();
    });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, header_, &QHeaderView::setOffset);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && !noEditOnRelease_) emit lineClicked(index.row());
    });
}

void StatementView::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    header_->setModel(model);
    fitColumn();
    columnResized();
}

void StatementView::setColumnWidth(int pixels) {
    chosenWidth_ = pixels;
    fitColumn();
    columnResized();
}

void StatementView::fitColumn() {
    if (header_->count() == 0) return;
    const int width = std::max(chosenWidth_, viewport()->width());
    if (header_->sectionSize(0) == width) return;
    fitting_ = true;
    header_->resizeSection(0, width);
    fitting_ = false;
}

void StatementView::resizeEvent(QResizeEvent* event) {
    QListView::resizeEvent(event);
    fitColumn();
}

int StatementView::columnWidth() const {
    return header_->count() > 0 ? header_->sectionSize(0) : delegate_->width;
}

void StatementView::columnResized() {
    const int width = header_->count() > 0 ? header_->sectionSize(0) : 0;
    if (width == delegate_->width) return;
    delegate_->width = width;
    scheduleDelayedItemsLayout();
}

// A list view lays out all its rows again after any change of an item, in case its
// size changed, and works out the item's place to repaint it. Here every row has the
// column's size whatever its text, so a changed statement needs only a repaint of
// what is on screen; a pass over a million statements then costs no layout at all.
void StatementView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                                const QList<int>& roles) {
#if QT_CONFIG(accessibility)
    if (QAccessible::isActive()) {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
        return;
    }
#endif
    viewport()->update();
}

void StatementView::updateGeometries() {
    const int height = header_->sizeHint().height();
    setViewportMargins(0, height, 0, 0);
    const QRect area = viewport()->geometry();
    header_->setGeometry(area.left(), area.top() - height, area.width(), height);
    QListView::updateGeometries();
    header_->setOffset(horizontalScrollBar()->value());
    fitColumn();  // a scroll bar that comes or goes changes the width to fill
}

QRect StatementView::checkBoxRect(const QModelIndex& index) const {
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.index = index;
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

void StatementView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    // Shift and Ctrl clicks extend the selection; they do not edit.
    noEditOnRelease_ = (index.isValid() && checkBoxRect(index).contains(at)) ||
                       (event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
    QListView::mouseReleaseEvent(event);
    noEditOnRelease_ = false;
}

void StatementView::keyPressEvent(QKeyEvent* event) {
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        if (currentIndex().isValid()) emit lineClicked(currentIndex().row());
        return;
    }
    if (plain && event->key() == Qt::Key_Space) {
        tickSelected();
        return;
    }
    QListView::keyPressEvent(event);
}

void StatementView::tickAll(bool ticked) {
    auto* list = qobject_cast<StatementList*>(model());
    if (list && list->count() > 0) list->setChecked(0, list->count() - 1, ticked);
}

// All selected lines are ticked, or all unticked when every one of them was ticked.
void StatementView::tickSelected() {
    auto* list = qobject_cast<StatementList*>(model());
    if (!list) return;
    QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty() && currentIndex().isValid())
        selection.select(currentIndex(), currentIndex());
    bool allTicked = true;
    for (const QItemSelectionRange& range : selection)
        for (int row = range.top(); row <= range.bottom() && allTicked; ++row)
            allTicked = list->isChecked(row);
    for (const QItemSelectionRange& range : selection)
        list->setChecked(range.top(), range.bottom(), !allTicked);
}

QList<int> StatementView::selectedLines() const {
    QList<int> rows;
    if (!selectionModel()) return rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) rows << index.row();
    if (rows.isEmpty() && currentIndex().isValid()) rows << currentIndex().row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void StatementView::setSelectedLines(LineState state) {
    auto* list = qobject_cast<StatementList*>(model());
    if (!list || statesLocked_) return;
    for (const int row : selectedLines()) {
        switch (state) {
            case LineState::Run:
                list->setExecuted(row);
                break;
            case LineState::Skipped:
                list->setSkipped(row);
                break;
            case LineState::Pending:
                list->setPending(row);
                break;
        }
    }
}

void StatementView::contextMenuEvent(QContextMenuEvent* event) {
    // A right click on a line outside the selection acts on that line.
    const QModelIndex at = indexAt(viewport()->mapFrom(this, event->pos()));
    if (at.isValid() && !selectionModel()->isSelected(at))
        selectionModel()->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect);
    QMenu menu(this);
    menu.setObjectName(ui::preview::kStatementMenu);
    menu.addAction(QStringLiteral("&Tick all"), this, [this] { tickAll(true); });
    menu.addAction(QStringLiteral("&Untick all"), this, [this] { tickAll(false); });
    menu.addSeparator();
    const bool lines = !selectedLines().isEmpty() && !statesLocked_;
    menu.addAction(QStringLiteral("&Mark as run"), this,
                   [this] { setSelectedLines(LineState::Run); })
        ->setEnabled(lines);
    menu.addAction(QStringLiteral("&Skip line"), this,
                   [this] { setSelectedLines(LineState::Skipped); })
        ->setEnabled(lines);
    menu.addAction(QStringLiteral("Mark as &not run"), this,
                   [this] { setSelectedLines(LineState::Pending); })
        ->setEnabled(lines);
    menu.exec(event->globalPos());
}

}  // namespace velmora
