#include "ui/main/plain_cell_delegate.h"

// Qt
#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <QTextOption>

namespace korvath::ui {

namespace {

constexpr QStyleOptionViewItem::ViewItemFeatures kNotPlain =
    QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
    QStyleOptionViewItem::WrapText;

// The colour group the style picks for an item's text and focus frame.
QPalette::ColorGroup TextGroup(const QStyleOptionViewItem& opt) {
  if (!(opt.state & QStyle::State_Enabled)) return QPalette::Disabled;
  return (opt.state & QStyle::State_Active) ? QPalette::Normal : QPalette::Inactive;
}

}  // namespace

void PlainCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const {
  QStyleOptionViewItem opt = option;
  initStyleOption(&opt, index);
  const QWidget* widget = opt.widget;
  QStyle* style = widget ? widget->style() : QApplication::style();
  if ((opt.features & kNotPlain) || (opt.state & QStyle::State_Editing) ||
      opt.decorationPosition != QStyleOptionViewItem::Left || opt.text.isEmpty()) {
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    return;
  }

  // The text rectangle and its placement, as the style computes them for an item without icon.
  QStyleOptionViewItem bare = opt;
  bare.text.clear();
  bare.features &= ~QStyleOptionViewItem::HasDisplay;
  bare.state &= ~QStyle::State_HasFocus;
  const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
  const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &bare, widget)
                             .adjusted(margin, 0, -margin, 0);
  QTextOption textOption;
  textOption.setWrapMode(QTextOption::ManualWrap);
  textOption.setTextDirection(opt.direction);
  textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
  QTextLayout layout(opt.text, opt.font);
  layout.setTextOption(textOption);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  line.setLineWidth(textRect.width());
  line.setPosition(QPointF(0, 0));
  const bool oneLine = !layout.createLine().isValid();
  layout.endLayout();
  // Several lines, an elided text or one above the cell go the style's way.
  const bool elided =
      opt.textElideMode != Qt::ElideNone && line.naturalTextWidth() > textRect.width();
  const QRect layoutRect = QStyle::alignedRect(Qt::LayoutDirectionAuto, opt.displayAlignment,
                                               layout.boundingRect().size().toSize(), textRect);
  if (!oneLine || elided || layoutRect.top() + line.height() <= textRect.top()) {
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
    return;
  }

  style->drawControl(QStyle::CE_ItemViewItem, &bare, painter, widget);
  painter->save();
  painter->setClipRect(opt.rect);
  const QPalette::ColorGroup group = TextGroup(opt);
  painter->setPen(opt.palette.color(
      group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
  layout.draw(painter, QPointF(textRect.x(), layoutRect.top()));
  if (opt.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(opt);
    focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &bare, widget);
    focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    focus.backgroundColor = opt.palette.color(
        (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled,
        (opt.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
  }
  painter->restore();
}

}  // namespace korvath::ui
