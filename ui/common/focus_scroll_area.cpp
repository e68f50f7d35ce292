#include "ui/common/focus_scroll_area.h"

// Qt
#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>

namespace korvath::ui {

FocusScrollArea::FocusScrollArea(QWidget* content, QWidget* parent) : QScrollArea(parent) {
  setFrameShape(QFrame::NoFrame);
  // Only the controls inside are Tab stops.
  setFocusPolicy(Qt::NoFocus);
  setWidgetResizable(true);
  setWidget(content);
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget* /*old*/, QWidget* now) {
    if (now && widget()->isAncestorOf(now)) ShowFocus(now);
  });
  for (QAbstractItemView* view : content->findChildren<QAbstractItemView*>()) {
    // A drop-down list's popup is a window of its own.
    if (!view->selectionModel() || !content->isAncestorOf(view)) continue;
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this, [this, view] {
      if (view->hasFocus()) ShowFocus(view);
    });
  }
}

void FocusScrollArea::ShowFocus(QWidget* focus) {
  QWidget* base = focus;
  QRect area = focus->rect();
  // A table bigger than the room shows the cell the keys are on rather than its corner.
  if (auto* view = qobject_cast<QAbstractItemView*>(focus);
      view && view->currentIndex().isValid()) {
    const QRect cell = view->visualRect(view->currentIndex()).intersected(view->viewport()->rect());
    if (!cell.isEmpty()) {
      base = view->viewport();
      area = cell;
    }
  }
  const QPoint centre = base->mapTo(widget(), area.center());
  ensureVisible(centre.x(), centre.y(), area.width() / 2 + 4, area.height() / 2 + 4);
}

}  // namespace korvath::ui
