#include "ui/main/history_keys.h"

// Qt
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

namespace korvath::ui {

namespace {

bool IsHistoryKey(const QKeyEvent* key) {
  return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
         key->keyCombination() == QKeyCombination(Qt::CTRL, Qt::Key_Y) ||
         key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
}

// The edit box's own undo and redo items, turned into the window's.
void TakeOverHistoryItems(QMenu* menu, QAction* undo, QAction* redo) {
  for (QAction* item : menu->actions()) {
    QAction* target = item->objectName() == QLatin1String("edit-undo")   ? undo
                      : item->objectName() == QLatin1String("edit-redo") ? redo
                                                                         : nullptr;
    if (!target) continue;
    item->disconnect();
    item->setEnabled(target->isEnabled());
    QObject::connect(item, &QAction::triggered, target, &QAction::trigger);
  }
}

}  // namespace

HistoryKeys::HistoryKeys(QWidget* window, QAction* undo, QAction* redo)
    : QObject(window), window_(window), undo_(undo), redo_(redo) {
  qApp->installEventFilter(this);
}

HistoryKeys::~HistoryKeys() { qApp->removeEventFilter(this); }

bool HistoryKeys::InWindow(QObject* object) const {
  const auto* widget = qobject_cast<QWidget*>(object);
  return widget && widget->window() == window_;
}

bool HistoryKeys::TakesKey(QObject* watched, const QKeyEvent* key) const {
  if (!IsHistoryKey(key)) return false;
  const auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget) return false;
  if (widget->window() == window_) return true;
  if (!undo_->associatedObjects().contains(widget->window())) return false;
  const auto* combo = qobject_cast<const QComboBox*>(widget);
  const QLineEdit* line = combo ? combo->lineEdit() : qobject_cast<const QLineEdit*>(widget);
  if (!line || line->isReadOnly()) return true;
  return !(key->matches(QKeySequence::Undo) ? line->isUndoAvailable() : line->isRedoAvailable());
}

bool HistoryKeys::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
      // Refusing the claim lets the window's shortcut fire; a key press that still arrives (the
      // item is disabled: nothing to undo) must not undo the box's text on its own.
      return TakesKey(watched, static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu: {
      auto* line = qobject_cast<QLineEdit*>(watched);
      if (!line || !InWindow(line)) return false;
      QMenu* menu = line->createStandardContextMenu();
      menu->setAttribute(Qt::WA_DeleteOnClose);
      TakeOverHistoryItems(menu, undo_, redo_);
      menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
      return true;
    }
    default:
      return false;
  }
}

}  // namespace korvath::ui
