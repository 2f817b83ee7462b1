#pragma once
#include "data/DataCompare.h"

#include <QAbstractTableModel>

namespace kalvex {

// The differences as table rows, each with a tick box (all ticked to begin with).
class CompareModel final : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { Item, Address, Name, FileValue, BoardValue, ColumnCount };

    explicit CompareModel(std::vector<ItemDifference> rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // The ticked items in the order of the rows (the tag map's).
    std::vector<int> tickedItems() const;
    int tickedCount() const;

  Q_SIGNALS:
    void tickChanged();

  private:
    std::vector<ItemDifference> m_rows;
    std::vector<bool> m_ticked;
};

} // namespace kalvex
