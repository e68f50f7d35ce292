#pragma once

#include <vector>

class QWidget;

namespace korvath::ui {

class BoundControls;
class Comparison;
class GridView;
class PopupMenus;
class WorkingCopyBridge;

// What the page builders need, and the tables they made.
struct PageContext {
  WorkingCopyBridge& Bridge;
  BoundControls& Controls;
  PopupMenus& Popups;
  const Comparison& Compare;
  std::vector<GridView*> Views;
};

// Builds page `page` (0 to 6) of the main window with all its controls and tables.
QWidget* BuildPage(int page, PageContext& context);

}  // namespace korvath::ui
