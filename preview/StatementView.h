#pragma once
// The SQL Preview window's statement list: a list view in report style with one
// column under a header, every row one line high and as wide as the column, so that
// a million statements lay out and scroll at once. Long and multi-line statements are
// shown on their single line, cut at the column's edge; dragging the header's divider
// widens the column. A click on a row (not on its check box) asks for the line to be
// edited.

#include <QHeaderView>
#include <QListView>
#include <QStyledItemDelegate>

namespace velmora {

class StatementView final : public QListView {
    Q_OBJECT
  public:
    explicit StatementView(QWidget* parent = nullptr);

    void setModel(QAbstractItemModel* model) override;
    QHeaderView* header() const { return header_; }
    void setColumnWidth(int pixels);
    int columnWidth() const;
    // The check box's place on screen in the row of `index`.
    QRect checkBoxRect(const QModelIndex& index) const;

  signals:
    void lineClicked(int row);  // counted from 0

  protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void updateGeometries() override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    class RowDelegate;
    void columnResized();

    QHeaderView* header_;
    RowDelegate* delegate_;
    bool releaseOnCheckBox_ = false;
};

}  // namespace velmora
