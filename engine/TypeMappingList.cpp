#include "engine/TypeMappingList.h"

namespace velmora {

TypeMappingEntry& TypeMappingList::append(TypeMappingEntry entry) {
    const int row = count();
    beginInsertRows(QModelIndex(), row, row);
    entries_.push_back(std::move(entry));
    endInsertRows();
    return entries_.back();
}

void TypeMappingList::setTypes(int index, const QString& accessType, const QString& paradoxType) {
    TypeMappingEntry& e = entries_[static_cast<std::size_t>(index)];
    e.AccessType = accessType;
    e.ParadoxType = paradoxType;
    emit dataChanged(this->index(index, 2), this->index(index, 3));
}

void TypeMappingList::clear() {
    beginResetModel();
    entries_.clear();
    endResetModel();
}

void TypeMappingList::truncate(int count) {
    if (count < 0 || count >= this->count()) return;
    beginRemoveRows(QModelIndex(), count, this->count() - 1);
    entries_.resize(static_cast<std::size_t>(count));
    endRemoveRows();
}

int TypeMappingList::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : count();
}

int TypeMappingList::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QString TypeMappingList::cellText(int row, int column) const {
    const TypeMappingEntry& e = at(row);
    switch (column) {
        case 0:
            return e.AccessTable;
        case 1:
            return e.AccessField;
        case 2:
            // Access's own name for the type ("Short Text"), where the run knows it.
            return e.AccessTypeName.isEmpty() ? e.AccessType : e.AccessTypeName;
        default:
            return e.ParadoxType;
    }
}

QVariant TypeMappingList::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole) return {};
    return cellText(index.row(), index.column());
}

QVariant TypeMappingList::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const QString kHeadings[] = {
        QStringLiteral("MS Access Table"), QStringLiteral("MS Access Table Field"),
        QStringLiteral("MS Access Field Datatype"), QStringLiteral("New Paradox Datatype")};
    return section >= 0 && section < 4 ? kHeadings[section] : QVariant();
}

}  // namespace velmora
