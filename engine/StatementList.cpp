#include "engine/StatementList.h"

#include <algorithm>
#include <cstring>

namespace velmora {

namespace {
constexpr std::size_t kBlockSize = std::size_t{1} << 20;
}

StatementList::StatementList(QObject* parent) : QAbstractListModel(parent) {}

std::string_view StatementList::utf8(int index) const {
    const Entry& e = entries_[static_cast<std::size_t>(index)];
    return {blocks_[e.block].data.get() + e.offset, e.length};
}

StatementList::Entry StatementList::store(std::string_view text) {
    if (blocks_.empty() || blocks_.back().capacity - blocks_.back().size < text.size()) {
        Block block;
        block.capacity = std::max(kBlockSize, text.size());
        block.data.reset(new char[block.capacity]);
        blocks_.push_back(std::move(block));
    }
    Block& block = blocks_.back();
    if (!text.empty()) std::memcpy(block.data.get() + block.size, text.data(), text.size());
    const Entry entry{static_cast<std::uint32_t>(blocks_.size() - 1),
                      static_cast<std::uint32_t>(block.size),
                      static_cast<std::uint32_t>(text.size()), 0};
    block.size += text.size();
    storedBytes_ += text.size();
    liveBytes_ += text.size();
    return entry;
}

void StatementList::append(std::string_view statement) {
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back(store(statement));
    endInsertRows();
}

void StatementList::append(const QString& statement) {
    const QByteArray bytes = statement.toUtf8();
    append(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void StatementList::setText(int index, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    const std::string_view fresh(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    // OK in Edit Line, or a replacement that gives the same text, changes nothing: a
    // line that ran stays run.
    if (fresh == utf8(index)) return;
    Entry& old = entries_[static_cast<std::size_t>(index)];
    const std::uint32_t flags = old.flags;
    liveBytes_ -= old.length;
    Entry stored = store(fresh);
    stored.flags = flags;
    entries_[static_cast<std::size_t>(index)] = stored;
    compactIfWasteful();
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {Qt::DisplayRole, Qt::EditRole});
    // A changed line is to run, whether it had run or had been skipped.
    setRunState(index, 0);
}

// Replaced texts leave their old bytes behind; once they outweigh the live text,
// everything is copied into fresh blocks.
void StatementList::compactIfWasteful() {
    const std::size_t wasted = storedBytes_ - liveBytes_;
    if (wasted < kBlockSize || wasted < liveBytes_) return;
    std::vector<Block> old = std::move(blocks_);
    blocks_.clear();
    storedBytes_ = 0;
    liveBytes_ = 0;
    for (Entry& e : entries_) {
        const std::uint32_t flags = e.flags;
        e = store(std::string_view(old[e.block].data.get() + e.offset, e.length));
        e.flags = flags;
    }
}

void StatementList::setChecked(int index, bool checked) {
    setChecked(index, index, checked);
}

void StatementList::setChecked(int first, int last, bool checked) {
    if (first > last) return;
    for (int i = first; i <= last; ++i) {
        std::uint32_t& flags = entries_[static_cast<std::size_t>(i)].flags;
        flags = checked ? flags | kChecked : flags & ~kChecked;
    }
    emit dataChanged(index(first), index(last), {Qt::CheckStateRole});
}

bool StatementList::anyChecked() const {
    for (const Entry& e : entries_)
        if (e.flags & kChecked) return true;
    return false;
}

void StatementList::setExecuted(int index) {
    setRunState(index, kExecuted);
}

void StatementList::setSkipped(int index) {
    setRunState(index, kSkipped);
}

void StatementList::setPending(int index) {
    setRunState(index, 0);
}

void StatementList::setRunState(int index, std::uint32_t state) {
    std::uint32_t& flags = entries_[static_cast<std::size_t>(index)].flags;
    const std::uint32_t before = flags & (kExecuted | kSkipped);
    if (before == state) return;
    executed_ += (state == kExecuted) - (before == kExecuted);
    skipped_ += (state == kSkipped) - (before == kSkipped);
    flags = (flags & ~(kExecuted | kSkipped)) | state;
    if (state == 0)
        firstPending_ = std::min(firstPending_, index);
    else
        while (firstPending_ < count() && !isPending(firstPending_)) ++firstPending_;
    const QModelIndex at = this->index(index);
    emit dataChanged(at, at, {ExecutedRole, SkippedRole});
}

void StatementList::setPending(int first, int last) {
    first = std::max(first, 0);
    last = std::min(last, count() - 1);
    if (first > last) return;
    for (int i = first; i <= last; ++i) {
        std::uint32_t& flags = entries_[static_cast<std::size_t>(i)].flags;
        if ((flags & kExecuted) == 0) continue;
        flags &= ~kExecuted;
        --executed_;
    }
    firstPending_ = std::min(firstPending_, first);
    emit dataChanged(index(first), index(last), {ExecutedRole});
}

void StatementList::clear() {
    beginResetModel();
    entries_.clear();
    entries_.shrink_to_fit();
    blocks_.clear();
    liveBytes_ = storedBytes_ = 0;
    firstPending_ = executed_ = skipped_ = 0;
    endResetModel();
}

std::size_t StatementList::memoryBytes() const {
    std::size_t bytes = entries_.capacity() * sizeof(Entry) + blocks_.capacity() * sizeof(Block);
    for (const Block& b : blocks_) bytes += b.capacity;
    return bytes;
}

qsizetype StatementList::cellLength(int row, int) const {
    // UTF-16 length straight from UTF-8: one unit per lead byte, two for 4-byte sequences.
    qsizetype length = 0;
    for (const char c : utf8(row)) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte & 0xC0) != 0x80) ++length;
        if (byte >= 0xF0) ++length;
    }
    return length;
}

int StatementList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant StatementList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count()) return {};
    switch (role) {
        case Qt::DisplayRole:
        case Qt::EditRole:
            return text(index.row());
        case Qt::CheckStateRole:
            return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        case ExecutedRole:
            return isExecuted(index.row());
        case SkippedRole:
            return isSkipped(index.row());
        default:
            return {};
    }
}

bool StatementList::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= count()) return false;
    if (role == Qt::CheckStateRole) {
        setChecked(index.row(), value.toInt() == Qt::Checked);
        return true;
    }
    if (role == Qt::EditRole) {
        setText(index.row(), value.toString());
        return true;
    }
    return false;
}

Qt::ItemFlags StatementList::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

QVariant StatementList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section == 0 && orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return QStringLiteral("SQL Preview");
    return {};
}

}  // namespace velmora
