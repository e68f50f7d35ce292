#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

WorkingCopyBridge::WorkingCopyBridge(WorkingCopy& copy, QObject* parent)
    : QObject(parent), copy_(copy) {
  copy_.AddObserver(this);
}

WorkingCopyBridge::~WorkingCopyBridge() { copy_.RemoveObserver(this); }

void WorkingCopyBridge::GridChanged(GridId grid) { emit gridChanged(grid); }

void WorkingCopyBridge::CellChanged(GridId grid, int row, int column) {
  emit cellChanged(grid, row, column);
}

void WorkingCopyBridge::CurrentCellChanged(GridId grid) { emit currentCellChanged(grid); }

void WorkingCopyBridge::ActivePageChanged(int page) { emit activePageChanged(page); }

void WorkingCopyBridge::ControlsChanged() { emit controlsChanged(); }

void WorkingCopyBridge::HistoryChanged() { emit historyChanged(); }

}  // namespace korvath::ui
