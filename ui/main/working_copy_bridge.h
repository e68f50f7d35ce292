#pragma once

#include <QObject>

#include "core/working_copy.h"

namespace korvath::ui {

// Turns the working copy's notifications into Qt signals, so that any number of views can
// follow it without each registering as an observer.
class WorkingCopyBridge : public QObject, public WorkingCopyObserver {
  Q_OBJECT

 public:
  WorkingCopyBridge(WorkingCopy& copy, QObject* parent);
  ~WorkingCopyBridge() override;

  WorkingCopy& Copy() const { return copy_; }

 public:  // WorkingCopyObserver API
  void GridChanged(GridId grid) override;
  void CellChanged(GridId grid, int row, int column) override;
  void CurrentCellChanged(GridId grid) override;
  void ActivePageChanged(int page) override;
  void ControlsChanged() override;
  void HistoryChanged() override;

 signals:
  void gridChanged(korvath::GridId grid);
  void cellChanged(korvath::GridId grid, int row, int column);
  void currentCellChanged(korvath::GridId grid);
  void activePageChanged(int page);
  void controlsChanged();
  void historyChanged();

 private:
  WorkingCopy& copy_;
};

}  // namespace korvath::ui
