#include "widgets/dialogs/CompareModel.h"

#include <algorithm>

namespace kalvex {

CompareModel::CompareModel(std::vector<ItemDifference> rows, QObject* parent)
    : QAbstractTableModel(parent), m_rows(std::move(rows)), m_ticked(m_rows.size(), true) {}

int CompareModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CompareModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant CompareModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || size_t(index.row()) >= m_rows.size()) return {};
    const ItemDifference& d = m_rows[size_t(index.row())];
    if (role == Qt::CheckStateRole && index.column() == Item)
        return m_ticked[size_t(index.row())] ? Qt::Checked : Qt::Unchecked;
    if (role != Qt::DisplayRole) return {};
    switch (index.column()) {
    case Item:
        return d.index;
    case Address:
        return d.address;
    case Name:
        return d.name;
    case FileValue:
        return d.valueA;
    case BoardValue:
        return d.valueB;
    default:
        return {};
    }
}

QVariant CompareModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kHeads[] = {"Item", "Address", "Name", "Data Set", "Board"};
    return section >= 0 && section < ColumnCount ? QLatin1String(kHeads[section]) : QVariant();
}

Qt::ItemFlags CompareModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == Item) f |= Qt::ItemIsUserCheckable;
    return f;
}

bool CompareModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != Item || !index.isValid()) return false;
    m_ticked[size_t(index.row())] = value.toInt() == Qt::Checked;
    Q_EMIT dataChanged(index, index, {Qt::CheckStateRole});
    Q_EMIT tickChanged();
    return true;
}

std::vector<int> CompareModel::tickedItems() const {
    std::vector<int> items;
    for (size_t r = 0; r < m_rows.size(); ++r)
        if (m_ticked[r]) items.push_back(m_rows[r].index);
    return items;
}

int CompareModel::tickedCount() const {
    return int(std::count(m_ticked.begin(), m_ticked.end(), true));
}

} // namespace kalvex
