#pragma once

class QTabWidget;
class QWidget;

namespace korvath::ui {

// Ctrl+Tab / Ctrl+PgDn and Ctrl+Shift+Tab / Ctrl+PgUp turn the pages from anywhere in the
// window, wrapping round as a tab widget does. The tab widget alone hears them only from a child
// that lets them pass, and a table takes them for its cells.
void AddPageKeys(QWidget* window, QTabWidget* pages);

}  // namespace korvath::ui
