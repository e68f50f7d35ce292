#include "ui/main/grid_model.h"

// Qt
#include <QGuiApplication>
#include <QPalette>

// Korvath
#include "core/working_copy.h"
#include "ui/main/comparison.h"
#include "ui/main/guarded.h"
#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

GridModel::GridModel(WorkingCopyBridge& bridge, const Comparison& comparison, GridId grid,
                     QObject* parent)
    : QAbstractTableModel(parent), bridge_(bridge), comparison_(comparison), grid_(grid) {
  connect(&bridge_, &WorkingCopyBridge::gridChanged, this, &GridModel::OnGridChanged);
  connect(&bridge_, &WorkingCopyBridge::cellChanged, this, &GridModel::OnCellChanged);
  connect(&bridge_, &WorkingCopyBridge::currentCellChanged, this, [this](GridId g) {
    if (g == grid_) emit currentCellMoved();
  });
  connect(&comparison_, &Comparison::changed, this, [this] {
    if (rowCount() == 0) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                     {Qt::BackgroundRole, Qt::ToolTipRole});
  });
}

int GridModel::FixedColumns() const { return LayoutOf(grid_).FixedColumns; }

QModelIndex GridModel::IndexOfCell(int row, int column) const { return index(row - 1, column); }

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : LayoutOf(grid_).VisibleRows - 1;
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(LayoutOf(grid_).Columns.size());
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const int row = index.row() + 1;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return QString::fromStdString(bridge_.Copy().Grid(grid_).Cell(row, index.column()));
    case Qt::BackgroundRole:
      if (comparison_.AtCell(grid_, row, index.column())) return Comparison::MarkBrush();
      if (index.column() < FixedColumns()) return QGuiApplication::palette().button();
      return {};
    case Qt::ToolTipRole:
      if (const SaveDifference* d = comparison_.AtCell(grid_, row, index.column())) {
        return comparison_.ToolTip(*d);
      }
      return {};
    case Qt::ForegroundRole:
      // Cells that refuse selection are still plain information, not greyed-out controls.
      if (!IsCellSelectable(grid_, row, index.column())) {
        return QGuiApplication::palette().windowText();
      }
      return {};
    default:
      return {};
  }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The heading is its own tooltip, so one wider than its column can still be read whole.
  if (orientation != Qt::Horizontal || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  return QString::fromStdString(bridge_.Copy().Grid(grid_).Cell(0, section));
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
  const int row = index.row() + 1;
  Qt::ItemFlags result = Qt::ItemNeverHasChildren;
  if (IsCellSelectable(grid_, row, index.column())) {
    result |= Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  }
  if (IsCellEditable(grid_, row, index.column())) result |= Qt::ItemIsEditable;
  return result;
}

bool GridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
  bool done = false;
  RunGuarded(nullptr, [&] {
    bridge_.Copy().SetCell(grid_, index.row() + 1, index.column(), value.toString().toStdString());
    done = true;
  });
  return done;
}

void GridModel::OnGridChanged(GridId grid) {
  if (grid != grid_ || rowCount() == 0) return;
  emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
  emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void GridModel::OnCellChanged(GridId grid, int row, int column) {
  if (grid != grid_) return;
  if (row == 0) {
    emit headerDataChanged(Qt::Horizontal, column, column);
    return;
  }
  const QModelIndex cell = IndexOfCell(row, column);
  // The store keeps rows past the visible ones; nobody shows them.
  if (cell.isValid()) emit dataChanged(cell, cell);
}

}  // namespace korvath::ui
