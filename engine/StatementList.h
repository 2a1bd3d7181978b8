#pragma once
// The run's statement list, shown by the SQL Preview window. Statements are kept as
// UTF-8 in large shared blocks (about 16 bytes of bookkeeping each), so a million
// statements cost little more than their text. Items are edited in place but never
// added, removed or reordered by the windows. Each line remembers whether it was ticked
// and whether it has run, or is to be passed over; a change of its text makes it one to
// execute again, a text written back unchanged leaves it as it was.

#include <QAbstractListModel>
#include <QString>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "common/ClipboardTable.h"

namespace velmora {

class StatementList final : public QAbstractListModel, public ClipboardTable {
    Q_OBJECT
  public:
    explicit StatementList(QObject* parent = nullptr);

    int count() const { return static_cast<int>(entries_.size()); }
    std::string_view utf8(int index) const;
    QString text(int index) const { return QString::fromUtf8(utf8(index)); }
    void append(std::string_view statement);
    void append(const QString& statement);
    void setText(int index, const QString& text);
    bool isChecked(int index) const { return flag(index, kChecked); }
    void setChecked(int index, bool checked);
    // Ticks or unticks lines first to last (counted from 0), with one change notice.
    void setChecked(int first, int last, bool checked);
    bool anyChecked() const;
    bool isExecuted(int index) const { return flag(index, kExecuted); }
    void setExecuted(int index);
    // A skipped line is passed over by execution without running.
    bool isSkipped(int index) const { return flag(index, kSkipped); }
    void setSkipped(int index);
    // Neither run nor skipped: the next execution runs it.
    bool isPending(int index) const { return !flag(index, kExecuted | kSkipped); }
    void setPending(int index);
    // Lines first to last (counted from 0) are to execute again: what they did was undone.
    void setPending(int first, int last);
    // The first pending line (counted from 0); count() when none is left.
    int firstPending() const { return firstPending_; }
    int executedCount() const { return executed_; }
    int skippedCount() const { return skipped_; }
    void clear();

    // Tells a view which lines have run and which are skipped (bools), beside the
    // display and check roles; a change of either is announced under ExecutedRole.
    static constexpr int ExecutedRole = Qt::UserRole + 1;
    static constexpr int SkippedRole = Qt::UserRole + 2;

    std::size_t textBytes() const { return liveBytes_; }
    std::size_t memoryBytes() const;

    // List model: one column headed "SQL Preview", user-checkable items.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Copying.
    int tableRows() const override { return count(); }
    int tableColumns() const override { return 1; }
    QString cellText(int row, int) const override { return text(row); }
    qsizetype cellLength(int row, int) const override;
    bool rowChecked(int row) const override { return isChecked(row); }

  private:
    struct Entry {
        std::uint32_t block;
        std::uint32_t offset;
        std::uint32_t length;
        std::uint32_t flags;
    };
    static constexpr std::uint32_t kChecked = 1;
    static constexpr std::uint32_t kExecuted = 2;
    static constexpr std::uint32_t kSkipped = 4;
    bool flag(int index, std::uint32_t which) const {
        return (entries_[static_cast<std::size_t>(index)].flags & which) != 0;
    }
    struct Block {
        std::unique_ptr<char[]> data;
        std::size_t size = 0;
        std::size_t capacity = 0;
    };

    Entry store(std::string_view text);
    void compactIfWasteful();
    // Sets the line's run state (kExecuted, kSkipped or neither) and keeps the counts.
    void setRunState(int index, std::uint32_t state);

    std::vector<Block> blocks_;
    std::vector<Entry> entries_;
    std::size_t liveBytes_ = 0;
    std::size_t storedBytes_ = 0;
    int firstPending_ = 0;
    int executed_ = 0;
    int skipped_ = 0;
};

}  // namespace velmora
