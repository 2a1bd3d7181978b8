#pragma once
// The SQL Preview window's statement list: a list view in report style with one
// column under a header, every row one line high and as wide as the column, so that
// a million statements lay out and scroll at once. Long and multi-line statements are
// shown on their single line, cut at the column's edge; dragging the header's divider
// widens the column, which otherwise takes the list's width. Lines that have been
// executed are greyed, with a tick beside their check box; skipped lines are greyed and
// struck through. A click on a row (not on its check box) or Return asks for the line to
// be edited; the context menu ticks or unticks every line and marks the selected lines as
// run, skipped or not run, and Space ticks or unticks the selected lines (Ctrl+A selects
// all).

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
    // The column's width when the list is narrower; wider lists stretch it to their width.
    void setColumnWidth(int pixels);
    int columnWidth() const;
    void tickAll(bool ticked);
    void tickSelected();
    // What "Mark as run", "Skip line" and "Mark as not run" do to the selected lines.
    enum class LineState { Run, Skipped, Pending };
    void setSelectedLines(LineState state);
    // While the list executes, the lines' states are its own.
    void lockLineStates(bool locked) { statesLocked_ = locked; }
    // The check box's place on screen in the row of `index`.
    QRect checkBoxRect(const QModelIndex& index) const;

  signals:
    void lineClicked(int row);  // counted from 0

  protected:
    void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                     const QList<int>& roles = QList<int>()) override;
    void updateGeometries() override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    class RowDelegate;
    void columnResized();
    void fitColumn();
    QList<int> selectedLines() const;  // counted from 0, in order

    QHeaderView* header_;
    RowDelegate* delegate_;
    bool noEditOnRelease_ = false;
    int chosenWidth_ = 0;
    bool fitting_ = false;
    bool statesLocked_ = false;
};

}  // namespace velmora
