#pragma once

#include <QObject>

class QAction;
class QWidget;

namespace korvath::ui {

// Gives the undo and redo keys of a window to its history, wherever the focus is in it. An edit
// box claims Ctrl+Z for its own text undo, which would leave a second history that disagrees
// with the window's (undone typing turned into a new step, the menu's undo stolen); so its
// claim is refused, its own handling of the keys is swallowed, and the undo and redo items of
// its context menu are the window's.
class HistoryKeys : public QObject {
  Q_OBJECT

 public:
  HistoryKeys(QWidget* window, QAction* undo, QAction* redo);
  ~HistoryKeys() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InWindow(QObject* object) const;

  QWidget* window_;
  QAction* undo_;
  QAction* redo_;
};

}  // namespace korvath::ui
