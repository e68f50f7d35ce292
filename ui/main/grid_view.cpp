#include "ui/main/grid_view.h"

// Qt
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>

// Korvath
#include "core/working_copy.h"
#include "ui/main/grid_model.h"
#include "ui/main/guarded.h"
#include "ui/main/popup_menus.h"

namespace korvath::ui {

namespace {

constexpr int kRowHeight = 16;

void SetUpTableLook(QTableView* view) {
  QHeaderView* rows = view->verticalHeader();
  rows->setMinimumSectionSize(kRowHeight);
  rows->setDefaultSectionSize(kRowHeight);
  rows->setSectionResizeMode(QHeaderView::Fixed);
  QHeaderView* columns = view->horizontalHeader();
  // A click on a heading selects nothing; the headings are captions only.
  columns->setSectionsClickable(false);
  columns->setHighlightSections(false);
  columns->setStretchLastSection(false);
  // Left-aligned like the cells: a heading wider than its column then shows its beginning rather
  // than a fragment from its middle.
  columns->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  view->setCornerButtonEnabled(false);
  view->setWordWrap(false);
  view->setTextElideMode(Qt::ElideNone);
}

}  // namespace

GridView::GridView(WorkingCopy& copy, GridModel* model, PopupMenus& popups, QWidget* parent)
    : QTableView(parent), copy_(copy), model_(model), popups_(popups), grid_(model->Grid()) {
  const std::string_view name = LayoutOf(grid_).Name;
  setObjectName(QString::fromUtf8(name.data(), qsizetype(name.size())));
  setModel(model_);
  SetUpTableLook(this);
  // Only the plan tables let the user select a range of cells.
  setSelectionMode(LayoutOf(grid_).RangeSelection ? QAbstractItemView::ContiguousSelection
                                                  : QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  // A double-click belongs to the table (the unit tables open the unit editor with it), so
  // editing starts by typing, F2 or a click on the current cell.
  setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  SetUpColumns();
  if (model_->FixedColumns() > 0) {
    SetUpFixedColumns();
  } else {
    verticalHeader()->hide();
  }

  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, &GridView::OpenPopup);
  // A right-click anywhere on the table is the table's: the scroll bars offer no menu of their own.
  horizontalScrollBar()->setContextMenuPolicy(Qt::PreventContextMenu);
  verticalScrollBar()->setContextMenuPolicy(Qt::PreventContextMenu);
  // The heading row belongs to the table for a double-click too.
  connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          &GridView::tableDoubleClicked);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { PushCurrentCell(current); });
  connect(model_, &GridModel::currentCellMoved, this, &GridView::FollowCurrentCell);
  FollowCurrentCell();
}

void GridView::SetUpColumns() {
  const auto columns = LayoutOf(grid_).Columns;
  for (int c = 0; c < int(columns.size()); ++c) {
    horizontalHeader()->setSectionResizeMode(c, QHeaderView::Interactive);
    horizontalHeader()->resizeSection(c, columns[std::size_t(c)].Width);
    // Fixed columns live in the second view only, so the cursor can never reach them here.
    setColumnHidden(c, c < model_->FixedColumns());
  }
}

void GridView::SetUpFixedColumns() {
  fixed_ = new QTableView(this);
  fixed_->setObjectName(objectName() + QLatin1String("Fixed"));
  fixed_->setModel(model_);
  SetUpTableLook(fixed_);
  fixed_->verticalHeader()->hide();
  fixed_->setFrameShape(QFrame::NoFrame);
  fixed_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fixed_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  fixed_->setFocusPolicy(Qt::NoFocus);
  fixed_->setSelectionMode(QAbstractItemView::NoSelection);
  fixed_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  fixed_->setContextMenuPolicy(Qt::PreventContextMenu);

  const auto columns = LayoutOf(grid_).Columns;
  for (int c = 0; c < int(columns.size()); ++c) {
    fixed_->horizontalHeader()->resizeSection(c, columns[std::size_t(c)].Width);
    fixed_->setColumnHidden(c, c >= model_->FixedColumns());
  }
  connect(fixed_->horizontalHeader(), &QHeaderView::sectionResized, this,
          &GridView::UpdateFixedColumnsWidth);
  connect(fixed_->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, fixed_->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(fixed_, &QAbstractItemView::doubleClicked, this, &GridView::tableDoubleClicked);
  connect(fixed_->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          &GridView::tableDoubleClicked);
  UpdateFixedColumnsWidth();
}

void GridView::UpdateFixedColumnsWidth() {
  int width = 0;
  for (int c = 0; c < model_->FixedColumns(); ++c) width += fixed_->columnWidth(c);
  // The vertical header is never seen: it only keeps the fixed view's room free.
  verticalHeader()->setFixedWidth(width);
  updateGeometries();
}

void GridView::CommitOpenEditor() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex())) commitData(editor);
}

void GridView::CloseOpenEditor() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = indexWidget(currentIndex()))
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void GridView::updateGeometries() {
  QTableView::updateGeometries();
  if (!fixed_) return;
  const int headerHeight = horizontalHeader()->height();
  fixed_->horizontalHeader()->setFixedHeight(headerHeight);
  fixed_->setGeometry(frameWidth(), frameWidth(), verticalHeader()->width(),
                      headerHeight + viewport()->height());
}

void GridView::mousePressEvent(QMouseEvent* event) {
  // A right-click only opens a popup; the popup itself decides whether the cell becomes current.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  QTableView::mousePressEvent(event);
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  emit tableDoubleClicked();
}

void GridView::OpenPopup(const QPoint& pos) {
  RunGuarded(this, [&] {
    if (!copy_.Image().Loaded) return;
    const QModelIndex cell = indexAt(pos);
    if (!cell.isValid()) return;
    QMenu* menu = popups_.MenuFor(PopupAt(grid_, cell.row() + 1, cell.column()));
    if (!menu) return;
    // The menu's items write into the current row, so the clicked cell must be current first.
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
    copy_.SetCurrentCell(grid_, cell.row() + 1, cell.column());
    menu->popup(viewport()->mapToGlobal(pos));
  });
}

void GridView::FollowCurrentCell() {
  const CellGrid& cells = copy_.Grid(grid_);
  const QModelIndex cell = model_->IndexOfCell(cells.CurrentRow(), cells.CurrentColumn());
  if (!cell.isValid() || cell == currentIndex()) return;
  const QScopedValueRollback guard(following_, true);
  selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect);
}

void GridView::PushCurrentCell(const QModelIndex& current) {
  if (following_ || !current.isValid()) return;
  RunGuarded(this, [&] { copy_.SetCurrentCell(grid_, current.row() + 1, current.column()); });
}

}  // namespace korvath::ui
