#include "ui/main/pages.h"

// Qt
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QListView>
#include <QProxyStyle>
#include <QStyledItemDelegate>

// Std
#include <array>
#include <span>
#include <string>

// Korvath
#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/page_layout.h"
#include "ui/common/core_text.h"
#include "ui/main/anchored_page.h"
#include "ui/main/bound_controls.h"
#include "ui/main/check_list_model.h"
#include "ui/main/grid_model.h"
#include "ui/main/grid_view.h"
#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

namespace {

// ---- Builders.

QRect ToQRect(const LayoutRect& r) { return {r.X, r.Y, r.Width, r.Height}; }
QPoint ToQPoint(const LayoutPoint& p) { return {p.X, p.Y}; }

void AddLabel(AnchoredPage* page, std::string_view caption, LayoutPoint at) {
  if (caption.empty()) return;
  auto* label = new QLabel(ToQString(caption));
  page->Place(label, QRect(ToQPoint(at), label->sizeHint()), kAnchorTopLeft);
}

void AddTable(AnchoredPage* page, GridId grid, const TablePlacement& place, PageContext& context) {
  auto* model = new GridModel(context.Bridge, context.Compare, grid, page);
  auto* view = new GridView(context.Bridge.Copy(), model, context.Popups, page);
  page->Place(view, ToQRect(place.Table), place.Anchors);
  if (const MainFieldEntry* entry = FindMainField(LayoutOf(grid).Name)) {
    AddLabel(page, entry->Caption, place.Label);
  }
  context.Views.push_back(view);
}

QWidget* BuildPanel(std::span<const PanelCell> cells, int force, int gapColumn,
                    PageContext& context) {
  auto* panel = new QWidget;
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(4);
  int lastRow = 0;
  int lastColumn = 0;
  for (const PanelCell& cell : cells) {
    const MainFieldEntry* entry = FindMainField(PanelControlName(cell.Control, force));
    if (!entry) continue;  // a control of the player's page only
    QWidget* control = context.Controls.Create(*entry, panel);
    if (!control) continue;
    if (cell.Width > 0) {
      control->setFixedWidth(cell.Width);
      // A list of a given width need not measure all its items for a width of its own.
      if (auto* list = qobject_cast<QComboBox*>(control)) {
        list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
      }
    }
    control->setFixedHeight(kControlHeight);
    grid->addWidget(control, cell.Row, cell.Column, 1, cell.Span);
    if (entry->Kind != ControlKind::CheckBox && !entry->Caption.empty()) {
      auto* label = new QLabel(ToQString(entry->Caption), panel);
      label->setBuddy(control);
      grid->addWidget(label, cell.Row, cell.Column - 1);
    }
    lastRow = std::max(lastRow, cell.Row);
    lastColumn = std::max(lastColumn, cell.Column + cell.Span - 1);
  }
  if (gapColumn >= 0) grid->setColumnMinimumWidth(gapColumn, 12);
  grid->setColumnStretch(lastColumn + 1, 1);
  grid->setRowStretch(lastRow + 1, 1);
  return panel;
}

QWidget* BuildCheckGroup(const CheckGroup& group, PageContext& context) {
  auto* box = new QGroupBox(ToQString(GroupCaption(group)));
  auto* grid = new QGridLayout(box);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(2);
  for (int n = group.First; n <= group.Last; ++n) {
    const MainFieldEntry* entry = FindMainField("CheckBox6_" + std::to_string(n));
    if (!entry) continue;
    const int i = n - group.First;
    grid->addWidget(context.Controls.Create(*entry, box), i / group.Columns, i % group.Columns);
  }
  grid->setRowStretch(grid->rowCount(), 1);
  return box;
}

// Lines of the check list are as high as the window font's characters.
class CheckListDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), kCheckListLineHeight};
  }
};

// The style's check box does not fit a 12-pixel line; this one draws it a little smaller.
class CheckListStyle : public QProxyStyle {
 public:
  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_IndicatorWidth || metric == PM_IndicatorHeight) {
      return kCheckListLineHeight - 2;
    }
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
};

// Space toggles the current line, so no typed letter may move it elsewhere by searching.
class CheckListView : public QListView {
 public:
  using QListView::QListView;

 protected:
  void keyboardSearch(const QString& /*search*/) override {}
};

void AddCheckList(AnchoredPage* page, PageContext& context) {
  auto* list = new CheckListView;
  list->setObjectName(ToQString(kCheckList));
  auto* style = new CheckListStyle;
  style->setParent(list);
  list->setStyle(style);
  list->setModel(new CheckListModel(context.Bridge, context.Compare, list));
  list->setItemDelegate(new CheckListDelegate(list));
  list->setUniformItemSizes(true);
  page->Place(list, ToQRect(kCheckListRect), kAnchorLeft | kAnchorTop | kAnchorBottom);
  if (const MainFieldEntry* entry = FindMainField(kCheckList)) {
    AddLabel(page, entry->Caption, kCheckListLabel);
  }
}

// One builder for the three force pages: only the force differs.
QWidget* BuildForcePage(int force, PageContext& context) {
  auto* page = new AnchoredPage;
  page->Place(BuildPanel(kForcePanel, force, kForcePanelGap, context), ToQRect(kForcePanelRect),
              kAnchorTopLeft);
  AddTable(page, PlanGridOf(force), kPlanTable, context);
  AddTable(page, UnitGridOf(force), kUnitTable, context);
  return page;
}

QWidget* BuildSpecialPage(PageContext& context) {
  auto* page = new AnchoredPage;
  page->Place(BuildPanel(kSpecialPanel, 0, -1, context), ToQRect(kSpecialPanelRect),
              kAnchorTopLeft);
  for (const CheckGroup& group : kAreaGroups) {
    page->Place(BuildCheckGroup(group, context), ToQRect(group.Box), kAnchorTopLeft);
  }
  AddCheckList(page, context);
  return page;
}

QWidget* BuildTablePage(int pageIndex, PageContext& context) {
  auto* page = new AnchoredPage;
  for (const PageTable& table : kPageTables) {
    if (LayoutOf(table.Grid).Page == pageIndex) AddTable(page, table.Grid, table.Place, context);
  }
  return page;
}

}  // namespace

QWidget* BuildPage(int page, PageContext& context) {
  switch (page) {
    case kPageOwnForce:
    case kPageEnemy1:
    case kPageEnemy2:
      return BuildForcePage(page - kPageOwnForce, context);
    case kPageSpecial:
      return BuildSpecialPage(context);
    default:
      return BuildTablePage(page, context);
  }
}

}  // namespace korvath::ui
