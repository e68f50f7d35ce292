#pragma once

#include <QAbstractTableModel>

#include "core/grid_layout.h"

namespace korvath::ui {

class Comparison;
class WorkingCopyBridge;

// One table of the working copy. Row 0 of the cell store is the horizontal header, so model row
// r is store row r + 1; only the table's visible rows are offered, however many the store holds.
// Values that differ from a compared save are tinted, with the other save's value as tooltip.
class GridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  GridModel(WorkingCopyBridge& bridge, const Comparison& comparison, GridId grid, QObject* parent);

  GridId Grid() const { return grid_; }
  int FixedColumns() const;
  // The model index of a store cell, invalid when the cell has no visible row.
  QModelIndex IndexOfCell(int row, int column) const;

 public:  // QAbstractItemModel API
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 signals:
  // The working copy moved this table's current cell.
  void currentCellMoved();

 private:
  void OnGridChanged(GridId grid);
  void OnCellChanged(GridId grid, int row, int column);

  WorkingCopyBridge& bridge_;
  const Comparison& comparison_;
  GridId grid_;
};

}  // namespace korvath::ui
