#pragma once

#include <QStyledItemDelegate>

namespace korvath::ui {

// Paints a plain cell (one line of text, no check box, icon or wrapping) with one layout of its
// text, where the style lays the same text out three or four times. The style still draws the
// background and the focus frame, and every other cell whole, so the pixels stay the style's own.
class PlainCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override;
};

}  // namespace korvath::ui
