#include "ui/main/page_keys.h"

// Qt
#include <QAction>
#include <QKeySequence>
#include <QTabWidget>
#include <QWidget>

namespace korvath::ui {

void AddPageKeys(QWidget* window, QTabWidget* pages) {
  const auto add = [&](const char* name, int step, const QList<QKeySequence>& keys) {
    auto* action = new QAction(window);
    action->setObjectName(QLatin1String(name));
    action->setShortcuts(keys);
    window->addAction(action);
    QObject::connect(action, &QAction::triggered, pages, [pages, step] {
      if (pages->count() > 0) {
        pages->setCurrentIndex((pages->currentIndex() + step + pages->count()) % pages->count());
      }
    });
  };
  // Ctrl+Shift+Tab arrives as Ctrl+Shift+Backtab, which the shortcut map also matches to it.
  add("NextPageKeys", 1,
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
  add("PreviousPageKeys", -1,
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
}

}  // namespace korvath::ui
