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
  QRect area(focus->mapTo(widget(), QPoint()), focus->size());
  // A table bigger than the room shows the cell the keys are on, with the headings and the
  // leading columns where there is room for them, rather than its corner.
  if (auto* view = qobject_cast<QAbstractItemView*>(focus);
      view && view->currentIndex().isValid()) {
    const QRect cell = view->visualRect(view->currentIndex()).intersected(view->viewport()->rect());
    if (!cell.isEmpty()) {
      const QRect shown(view->viewport()->mapTo(widget(), cell.topLeft()), cell.size());
      const QRect fromCorner = shown.united(QRect(area.topLeft(), QSize(1, 1)));
      const QSize room = viewport()->size();
      area = shown;
      if (fromCorner.width() <= room.width()) area.setLeft(fromCorner.left());
      if (fromCorner.height() <= room.height()) area.setTop(fromCorner.top());
    }
  }
  const QPoint centre = area.center();
  ensureVisible(centre.x(), centre.y(), area.width() / 2 + 4, area.height() / 2 + 4);
}

}  // namespace korvath::ui
