#include "ui/main/check_list_model.h"

// Qt
#include <QBrush>
#include <QColor>

// Korvath
#include "core/working_copy.h"
#include "ui/main/comparison.h"
#include "ui/main/guarded.h"
#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

namespace {

const QColor kHeaderBackground(0xC0, 0xC0, 0xC0);  // silver
const QColor kHeaderText(Qt::black);

}  // namespace

CheckListModel::CheckListModel(WorkingCopyBridge& bridge, const Comparison& comparison,
                               QObject* parent)
    : QAbstractListModel(parent), bridge_(bridge), comparison_(comparison) {
  connect(&bridge_, &WorkingCopyBridge::controlsChanged, this, [this] {
    if (rowCount() > 0) emit dataChanged(index(0), index(rowCount() - 1), {Qt::CheckStateRole});
  });
  connect(&comparison_, &Comparison::changed, this, [this] {
    if (rowCount() > 0) {
      emit dataChanged(index(0), index(rowCount() - 1), {Qt::BackgroundRole, Qt::ToolTipRole});
    }
  });
}

int CheckListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(bridge_.Copy().CheckList().size());
}

QVariant CheckListModel::data(const QModelIndex& index, int role) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
  const CheckListLine& line = bridge_.Copy().CheckList()[std::size_t(index.row())];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(line.Text);
    case Qt::CheckStateRole:
      if (line.Header) return {};
      return line.Checked ? Qt::Checked : Qt::Unchecked;
    case Qt::BackgroundRole:
      if (line.Header) return QBrush(kHeaderBackground);
      return comparison_.AtLine(index.row()) ? QVariant(Comparison::MarkBrush()) : QVariant();
    case Qt::ToolTipRole:
      if (const SaveDifference* d = comparison_.AtLine(index.row())) return comparison_.ToolTip(*d);
      return {};
    case Qt::ForegroundRole:
      return line.Header ? QVariant(QBrush(kHeaderText)) : QVariant();
    default:
      return {};
  }
}

Qt::ItemFlags CheckListModel::flags(const QModelIndex& index) const {
  if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
  if (bridge_.Copy().CheckList()[std::size_t(index.row())].Header) {
    return Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
  }
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable |
         Qt::ItemNeverHasChildren;
}

bool CheckListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !(flags(index) & Qt::ItemIsUserCheckable)) return false;
  bool done = false;
  RunGuarded(nullptr, [&] {
    bridge_.Copy().SetCheckListChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    done = true;
  });
  if (done) emit dataChanged(index, index, {Qt::CheckStateRole});
  return done;
}

}  // namespace korvath::ui
