#pragma once

#include <QTableView>

#include "core/grid_layout.h"

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

class GridModel;
class PopupMenus;

// A table of the main window. Its leading fixed columns sit in a second view laid over the
// vertical header's place, so they stay in view however far the table scrolls. The current cell
// follows the working copy both ways, and a right-click opens the popup menu that the cell
// under the mouse calls for.
class GridView : public QTableView {
  Q_OBJECT

 public:
  GridView(WorkingCopy& copy, GridModel* model, PopupMenus& popups, QWidget* parent);

  GridId Grid() const { return grid_; }
  // The view of the fixed columns, nullptr when the table has none.
  QTableView* FixedColumnsView() const { return fixed_; }
  // Hands the text of a cell that is still being typed to the working copy; the editor stays
  // open. Qt does so only when the user leaves the cell, which neither a shortcut nor a menu does.
  void CommitOpenEditor();
  // Closes a cell editor without handing its text over.
  void CloseOpenEditor();

 signals:
  // A double-click anywhere on the table, the heading row included.
  void tableDoubleClicked();

 protected:
  void updateGeometries() override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  void SetUpColumns();
  void SetUpFixedColumns();
  void UpdateFixedColumnsWidth();
  void OpenPopup(const QPoint& pos);
  void FollowCurrentCell();
  void PushCurrentCell(const QModelIndex& current);

  WorkingCopy& copy_;
  GridModel* model_;
  PopupMenus& popups_;
  GridId grid_;
  QTableView* fixed_ = nullptr;
  bool following_ = false;
};

}  // namespace korvath::ui
