#pragma once

#include <QPersistentModelIndex>
#include <QTableView>
#include <QTimer>

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
//
// A cell editor hands every change of its text to the working copy at once, so whatever runs
// next (a popup, a menu command, the other window's activation, Save) reads what the user typed.
// A printable key on an editable current cell starts editing it with that key; no key ever moves
// the current cell by searching.
//
// Tab and Shift+Tab walk the cells, and leave the table at its last and first cell rather than
// wrapping round, so the keyboard can always reach the rest of the window.
class GridView : public QTableView {
  Q_OBJECT

 public:
  GridView(WorkingCopy& copy, GridModel* model, PopupMenus& popups, QWidget* parent);

  GridId Grid() const { return grid_; }
  // The view of the fixed columns, nullptr when the table has none.
  QTableView* FixedColumnsView() const { return fixed_; }

 signals:
  // A double-click anywhere on the table, the heading row included.
  void tableDoubleClicked();

 protected:
  void updateGeometries() override;
  void keyboardSearch(const QString& search) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void commitData(QWidget* editor) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
  void dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                   const QList<int>& roles = QList<int>()) override;

 private:
  class CellDelegate;

  bool IsEditable(const QModelIndex& cell) const;
  // Whether Tab (next) or Shift+Tab at the current cell would wrap around the table.
  bool AtTabEdge(bool next);
  // Moves the focus to the window's next (or previous) control after the table.
  bool LeaveTable(bool next);
  void EditByClick();
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
  // A click on the current cell opens its editor once the double-click time has passed.
  QTimer clickEdit_;
  bool pressOnCurrent_ = false;
  // The cell being edited and its text before the first keystroke, for Escape.
  QPersistentModelIndex editing_;
  QString textBeforeEditing_;
  bool committing_ = false;  // the editor itself is changing the cell
};

}  // namespace korvath::ui
