#include "ui/main/anchored_page.h"

namespace korvath::ui {

namespace {

// One axis: where a control of the given start and length goes when the page grew by delta.
std::pair<int, int> Follow(int start, int length, int delta, bool nearEdge, bool farEdge) {
  if (nearEdge && farEdge) return {start, std::max(0, length + delta)};
  if (farEdge) return {start + delta, length};
  return {start, length};
}

}  // namespace

AnchoredPage::AnchoredPage(QWidget* parent) : QWidget(parent) { setMinimumSize(kMinimumSize); }

void AnchoredPage::Place(QWidget* control, const QRect& designRect, int anchors) {
  control->setParent(this);
  placed_.push_back({control, designRect, anchors});
  control->setGeometry(RectFor(placed_.back()));
}

QRect AnchoredPage::RectFor(const Placed& placed) const {
  const QSize grown = size() - kDesignSize;
  const QRect& r = placed.DesignRect;
  const auto [x, w] = Follow(r.x(), r.width(), grown.width(), placed.Anchors & kAnchorLeft,
                             placed.Anchors & kAnchorRight);
  const auto [y, h] = Follow(r.y(), r.height(), grown.height(), placed.Anchors & kAnchorTop,
                             placed.Anchors & kAnchorBottom);
  return QRect(x, y, w, h);
}

void AnchoredPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  for (const Placed& placed : placed_) placed.Control->setGeometry(RectFor(placed));
}

}  // namespace korvath::ui
