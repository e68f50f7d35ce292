#pragma once

#include <QObject>

#include "core/grid_layout.h"

class QMenu;
class QWidget;

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

// The tables' four context menus. Each item writes into the current row of the table on the
// active page, so a view must move the current cell before it opens a menu.
class PopupMenus : public QObject {
  Q_OBJECT

 public:
  PopupMenus(WorkingCopy& copy, QWidget* owner);

  // nullptr for PopupKind::None.
  QMenu* MenuFor(PopupKind kind) const;

 private:
  QMenu* plan_;
  QMenu* unit_;
  QMenu* areaBattle_;
  QMenu* areaFaction_;
};

}  // namespace korvath::ui
