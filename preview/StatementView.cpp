#include "preview/StatementView.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QScrollBar>

namespace velmora {

namespace {
// Painting a huge statement would lay out all of it just to cut it at the column's edge.
constexpr qsizetype kShownCharacters = 4096;
}  // namespace

class StatementView::RowDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    int width = 0;

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
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideRight);
    setWordWrap(false);
    header_->setSectionResizeMode(QHeaderView::Interactive);
    header_->setStretchLastSection(false);
    header_->setSectionsClickable(false);
    header_->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(header_, &QHeaderView::sectionResized, this, [this] { columnResized(); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, header_, &QHeaderView::setOffset);
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && !releaseOnCheckBox_) emit lineClicked(index.row());
    });
}

void StatementView::setModel(QAbstractItemModel* model) {
    QListView::setModel(model);
    header_->setModel(model);
    columnResized();
}

void StatementView::setColumnWidth(int pixels) {
    header_->resizeSection(0, pixels);
    columnResized();
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
    releaseOnCheckBox_ = index.isValid() && checkBoxRect(index).contains(at);
    QListView::mouseReleaseEvent(event);
    releaseOnCheckBox_ = false;
}

}  // namespace velmora
