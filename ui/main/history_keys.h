#pragma once

#include <QObject>

class QAction;
class QKeyEvent;
class QWidget;

namespace korvath::ui {

// Gives the undo and redo keys of a window to its history, wherever the focus is in it. An edit
// box claims Ctrl+Z for its own text undo, which would leave a second history that disagrees
// with the window's (undone typing turned into a new step, the menu's undo stolen); so its
// claim is refused, its own handling of the keys is swallowed, and the undo and redo items of
// its context menu are the window's.
//
// The other windows that the undo item was added to share the keys. Their edit boxes are bound to
// no history, so there an edit box's own typing is taken back first, then the window's steps.
class HistoryKeys : public QObject {
  Q_OBJECT

 public:
  HistoryKeys(QWidget* window, QAction* undo, QAction* redo);
  ~HistoryKeys() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InWindow(QObject* object) const;
  // Whether the window's history takes the key from watched.
  bool TakesKey(QObject* watched, const QKeyEvent* key) const;

  QWidget* window_;
  QAction* undo_;
  QAction* redo_;
};

}  // namespace korvath::ui
