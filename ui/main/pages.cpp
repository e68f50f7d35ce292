#include "ui/main/pages.h"

// Qt
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
#include "ui/main/anchored_page.h"
#include "ui/main/bound_controls.h"
#include "ui/main/check_list_model.h"
#include "ui/main/grid_model.h"
#include "ui/main/grid_view.h"
#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

namespace {

// ---- Layout data. Rectangles are in page pixels for a page of AnchoredPage::kDesignSize.

// A table and the label that names it (the caption of its map entry, if it has one).
struct TablePlacement {
  QRect Table;
  int Anchors;
  QPoint Label;
};

// The two tables of a force page.
constexpr TablePlacement kPlanTable = {QRect(432, 24, 305, 193),
                                       kAnchorLeft | kAnchorTop | kAnchorRight, QPoint(440, 8)};
constexpr TablePlacement kUnitTable = {QRect(8, 224, 729, 201), kAnchorAll, QPoint(8, 208)};

struct PageTable {
  GridId Grid;
  TablePlacement Place;
};
constexpr std::array<PageTable, 4> kPageTables = {{
    {GridId::StringGrid4_1, {QRect(8, 8, 729, 417), kAnchorAll, QPoint()}},
    {GridId::StringGrid5_1,
     {QRect(8, 24, 333, 401), kAnchorLeft | kAnchorTop | kAnchorBottom, QPoint(8, 8)}},
    {GridId::StringGrid5_2, {QRect(349, 24, 388, 401), kAnchorAll, QPoint(349, 8)}},
    {GridId::StringGrid7_1, {QRect(8, 8, 729, 417), kAnchorAll, QPoint()}},
}};

// A bound control in a value panel, by grid row and column; an edit box or list has its caption
// as a label in the column before it. '#' in a name stands for the force number, 1 to 3.
struct PanelCell {
  std::string_view Control;
  int Row;
  int Column;
  int Width;  // 0: the control's own width
  int Span = 1;
};

constexpr int kMoneyWidth = 64;
constexpr int kValueWidth = 36;
constexpr int kListWidth = 112;
constexpr int kControlHeight = 20;

// Columns: 0 caption, 1 value, 2 flag, 3 gap, 4 caption, 5 value, 6 "グラフ" or flag,
// 7 graph value, 8 flag. The enemy pages have no flags and no rows for the two enemies.
constexpr int kForcePanelGap = 3;
constexpr std::array<PanelCell, 30> kForcePanel = {{
    {"ComboBox#_1", 0, 1, kListWidth, 2},
    {"Edit#_1", 1, 1, kMoneyWidth},
    {"Edit#_2", 2, 1, kMoneyWidth},
    {"Edit#_3", 3, 1, kValueWidth},
    {"CheckBox#_1", 3, 2, 0},
    {"Edit#_15", 4, 1, kValueWidth},
    {"CheckBox#_10", 4, 2, 0},
    {"Edit#_16", 5, 1, kValueWidth},
    {"CheckBox#_11", 5, 2, 0},
    {"Edit#_17", 6, 1, kValueWidth},
    {"CheckBox#_5", 6, 2, 0},
    {"Edit#_18", 7, 1, kValueWidth},
    {"CheckBox#_6", 7, 2, 0},
    {"Edit#_4", 0, 5, kValueWidth},
    {"Edit#_8", 0, 7, kValueWidth},
    {"CheckBox#_2", 0, 8, 0},
    {"Edit#_5", 1, 5, kValueWidth},
    {"Edit#_9", 1, 7, kValueWidth},
    {"CheckBox#_3", 1, 8, 0},
    {"Edit#_6", 2, 5, kValueWidth},
    {"Edit#_10", 2, 7, kValueWidth},
    {"CheckBox#_4", 2, 8, 0},
    {"Edit#_7", 3, 5, kValueWidth},
    {"Edit#_11", 3, 7, kValueWidth},
    {"Edit#_12", 5, 5, kValueWidth},
    {"CheckBox#_7", 5, 6, 0},
    {"Edit#_13", 6, 5, kValueWidth},
    {"CheckBox#_8", 6, 6, 0},
    {"Edit#_14", 7, 5, kValueWidth},
    {"CheckBox#_9", 7, 6, 0},
}};
constexpr QRect kForcePanelRect(8, 8, 416, 196);

constexpr std::array<PanelCell, 2> kSpecialPanel = {{
    {"ComboBox6_1", 0, 1, 100},
    {"Edit6_1", 1, 1, kValueWidth},
}};
constexpr QRect kSpecialPanelRect(8, 8, 329, 48);

// A group of the special page's area check boxes CheckBox6_<First> to CheckBox6_<Last>.
struct CheckGroup {
  std::string_view Caption;
  int First;
  int Last;
  int Columns;
  QRect Box;
};
constexpr std::array<CheckGroup, 2> kAreaGroups = {{
    {"エリア存在", 1, 5, 3, QRect(8, 64, 329, 76)},
    {"特別エリア侵攻可能", 10, 28, 3, QRect(345, 8, 392, 196)},
}};

constexpr std::string_view kCheckList = "CheckListBox6_1";
constexpr QRect kCheckListRect(8, 168, 329, 257);
constexpr QPoint kCheckListLabel(8, 152);
constexpr int kCheckListLineHeight = 12;

// ---- Builders.

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

std::string ControlName(std::string_view pattern, int force) {
  std::string name(pattern);
  if (const auto hash = name.find('#'); hash != std::string::npos) {
    name.replace(hash, 1, std::to_string(force + 1));
  }
  return name;
}

void AddLabel(AnchoredPage* page, std::string_view caption, QPoint at) {
  if (caption.empty()) return;
  auto* label = new QLabel(ToQString(caption));
  page->Place(label, QRect(at, label->sizeHint()), kAnchorTopLeft);
}

void AddTable(AnchoredPage* page, GridId grid, const TablePlacement& place, PageContext& context) {
  auto* model = new GridModel(context.Bridge, context.Compare, grid, page);
  auto* view = new GridView(context.Bridge.Copy(), model, context.Popups, page);
  page->Place(view, place.Table, place.Anchors);
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
    const MainFieldEntry* entry = FindMainField(ControlName(cell.Control, force));
    if (!entry) continue;  // a control of the player's page only
    QWidget* control = context.Controls.Create(*entry, panel);
    if (!control) continue;
    if (cell.Width > 0) control->setFixedWidth(cell.Width);
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
  auto* box = new QGroupBox(ToQString(group.Caption));
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
  page->Place(list, kCheckListRect, kAnchorLeft | kAnchorTop | kAnchorBottom);
  if (const MainFieldEntry* entry = FindMainField(kCheckList)) {
    AddLabel(page, entry->Caption, kCheckListLabel);
  }
}

// One builder for the three force pages: only the force differs.
QWidget* BuildForcePage(int force, PageContext& context) {
  auto* page = new AnchoredPage;
  page->Place(BuildPanel(kForcePanel, force, kForcePanelGap, context), kForcePanelRect,
              kAnchorTopLeft);
  AddTable(page, PlanGridOf(force), kPlanTable, context);
  AddTable(page, UnitGridOf(force), kUnitTable, context);
  return page;
}

QWidget* BuildSpecialPage(PageContext& context) {
  auto* page = new AnchoredPage;
  page->Place(BuildPanel(kSpecialPanel, 0, -1, context), kSpecialPanelRect, kAnchorTopLeft);
  for (const CheckGroup& group : kAreaGroups) {
    page->Place(BuildCheckGroup(group, context), group.Box, kAnchorTopLeft);
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
