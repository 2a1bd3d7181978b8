#pragma once
// How each source field's type was mapped, one record per field in the order the run
// met them; shown by the Datatypes Conversion window. The list belongs to the run, so
// closing the window loses nothing.

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "common/ClipboardTable.h"

namespace velmora {

struct TypeMappingEntry {
    QString AccessTable;
    QString AccessField;
    QString AccessType;
    QString ParadoxType;
    // The source field's type as Access's table design names it, for --types.
    QString AccessTypeName = {};
    bool operator==(const TypeMappingEntry&) const = default;
};

class TypeMappingList final : public QAbstractTableModel, public ClipboardTable {
    Q_OBJECT
  public:
    explicit TypeMappingList(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    int count() const { return static_cast<int>(entries_.size()); }
    const TypeMappingEntry& at(int index) const {
        return entries_[static_cast<std::size_t>(index)];
    }
    TypeMappingEntry& append(TypeMappingEntry entry);
    // Labels are set after the record was appended, once the type is known.
    void setTypes(int index, const QString& accessType, const QString& paradoxType);
    void clear();
    // Removes the records after the first `count`.
    void truncate(int count);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    int tableRows() const override { return count(); }
    int tableColumns() const override { return 4; }
    QString cellText(int row, int column) const override;
    bool rowChecked(int) const override { return false; }

  private:
    std::vector<TypeMappingEntry> entries_;
};

}  // namespace velmora
