#include "ui/main/grid_view.h"

#include <utility>

// Qt
#include <QApplication>
#include <QFont>
#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeaderV2>

// Korvath
#include "core/working_copy.h"
#include "ui/main/grid_model.h"
#include "ui/main/guarded.h"
#include "ui/main/plain_cell_delegate.h"
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

// The vertical header of a table with fixed columns: never seen, it only keeps their room free at
// the width it is given. Qt would otherwise measure the numbers of up to 200 rows for its size
// every time the rows or columns change.
class RoomHeader : public QHeaderView {
 public:
  explicit RoomHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {}
  QSize sizeHint() const override { return {minimumWidth(), defaultSectionSize()}; }
};

// The heading row measures every shown caption for its height, and again whenever a column is
// resized or hidden, which building a table does column by column. A caption's size depends only
// on its text, the font and the style.
class CaptionHeader : public QHeaderView {
 public:
  explicit CaptionHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

  // Every caption is one line in one font, so the first shown one gives the row's height. Qt
  // would measure them all.
  QSize sizeHint() const override {
    for (int i = 0; i < count(); ++i) {
      if (!isSectionHidden(i) && !model()->headerData(i, orientation()).toString().isEmpty()) {
        return {length(), sectionSizeFromContents(i).height()};
      }
    }
    return QHeaderView::sizeHint();
  }

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override {
    if (font() != font_ || style() != style_) {
      sizes_.clear();
      font_ = font();
      style_ = style();
    }
    const QString caption = model()->headerData(logicalIndex, orientation()).toString();
    auto size = sizes_.constFind(caption);
    if (size == sizes_.cend()) size = sizes_.insert(caption, Measure(logicalIndex, caption));
    return *size;
  }

 private:
  // In the headings' own weight. Qt measures each caption in bold too, for a highlighted heading;
  // these never highlight, and the bold face is a font of its own to find and load at start-up.
  QSize Measure(int logicalIndex, const QString& caption) const {
    QStyleOptionHeaderV2 option;
    initStyleOption(&option);
    option.section = logicalIndex;
    option.text = caption;
    return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
  }

  mutable QHash<QString, QSize> sizes_;
  mutable QFont font_;
  mutable const QStyle* style_ = nullptr;
};

}  // namespace

class GridView::CellDelegate : public PlainCellDelegate {
 public:
  explicit CellDelegate(GridView* view) : PlainCellDelegate(view), view_(view) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override {
    QWidget* editor = PlainCellDelegate::createEditor(parent, option, index);
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return editor;
    // A file dropped on the table is one to open, not text for the cell.
    line->setAcceptDrops(false);
    line->installEventFilter(view_);
    view_->editing_ = index;
    view_->textBeforeEditing_ = index.data(Qt::EditRole).toString();
    GridView* view = view_;
    connect(line, &QLineEdit::textEdited, view, [view, line] { view->commitData(line); });
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    // The cell follows every keystroke; putting the same text back would move the caret.
    const auto* line = qobject_cast<const QLineEdit*>(editor);
    if (line && line->text() == index.data(Qt::EditRole).toString()) return;
    PlainCellDelegate::setEditorData(editor, index);
  }

 private:
  GridView* view_;
};

GridView::GridView(WorkingCopy& copy, GridModel* model, PopupMenus& popups, QWidget* parent)
    : QTableView(parent), copy_(copy), model_(model), popups_(popups), grid_(model->Grid()) {
  const std::string_view name = LayoutOf(grid_).Name;
  setObjectName(QString::fromUtf8(name.data(), qsizetype(name.size())));
  setHorizontalHeader(new CaptionHeader(this));
  if (model_->FixedColumns() > 0) {
    setVerticalHeader(new RoomHeader(this));
  } else {
    verticalHeader()->hide();
  }
  setModel(model_);
  SetUpTableLook(this);
  // Only the plan tables let the user select a range of cells.
  setSelectionMode(LayoutOf(grid_).RangeSelection ? QAbstractItemView::ContiguousSelection
                                                  : QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  // A double-click belongs to the table (the unit tables open the unit editor with it), so
  // editing starts by typing, F2 or a click on the current cell. Typing and the click are
  // handled here: Qt's own triggers let a key search the table while the click waits.
  setEditTriggers(QAbstractItemView::EditKeyPressed);
  setItemDelegate(new CellDelegate(this));
  clickEdit_.setSingleShot(true);
  clickEdit_.setInterval(QApplication::doubleClickInterval());
  connect(&clickEdit_, &QTimer::timeout, this, &GridView::EditByClick);
  SetUpColumns();
  if (model_->FixedColumns() > 0) SetUpFixedColumns();

  setContextMenuPolicy(Qt::CustomContextMenu);
  connect(this, &QWidget::customContextMenuRequested, this, &GridView::OpenPopup);
  // A right-click anywhere on the table is the table's: the scroll bars offer no menu of their own.
  horizontalScrollBar()->setContextMenuPolicy(Qt::PreventContextMenu);
  verticalScrollBar()->setContextMenuPolicy(Qt::PreventContextMenu);
  // The heading row belongs to the table for a double-click too.
  connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
          &GridView::tableDoubleClicked);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            clickEdit_.stop();
            PushCurrentCell(current);
          });
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
  fixed_->setHorizontalHeader(new CaptionHeader(fixed_));
  // Hidden before the rows come, which a shown header would measure.
  fixed_->verticalHeader()->hide();
  fixed_->setModel(model_);
  fixed_->setItemDelegate(new PlainCellDelegate(fixed_));
  SetUpTableLook(fixed_);
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

void GridView::dataChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight,
                           const QList<int>& roles) {
  QTableView::dataChanged(topLeft, bottomRight, roles);
  if (committing_ || !editing_.isValid()) return;
  // Marks (tint, tooltip) are no change of the value: the typing goes on.
  if (!roles.isEmpty() && !roles.contains(Qt::DisplayRole) && !roles.contains(Qt::EditRole)) return;
  if (editing_.row() < topLeft.row() || editing_.row() > bottomRight.row() ||
      editing_.column() < topLeft.column() || editing_.column() > bottomRight.column()) {
    return;
  }
  // The cell changed under its editor (another file opened, say): the editing is over, and
  // neither the editor's text nor Escape's old text may be written over the new one.
  if (QWidget* editor = indexWidget(editing_)) closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void GridView::updateGeometries() {
  QTableView::updateGeometries();
  if (!fixed_) return;
  const int headerHeight = horizontalHeader()->height();
  fixed_->horizontalHeader()->setFixedHeight(headerHeight);
  fixed_->setGeometry(frameWidth(), frameWidth(), verticalHeader()->width(),
                      headerHeight + viewport()->height());
}

bool GridView::IsEditable(const QModelIndex& cell) const {
  return cell.isValid() && (model()->flags(cell) & Qt::ItemIsEditable);
}

void GridView::keyboardSearch(const QString& /*search*/) {
  // Searching would move the current cell under the user's typing.
}

void GridView::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  const bool printable =
      !text.isEmpty() && text.at(0).isPrint() &&
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (!printable || state() == EditingState) {
    QTableView::keyPressEvent(event);
    return;
  }
  clickEdit_.stop();
  event->accept();
  const QModelIndex cell = currentIndex();
  if (!IsEditable(cell) || !edit(cell, AllEditTriggers, nullptr)) return;
  // The editor opens with its text selected, so the key replaces it as in a spreadsheet.
  if (QWidget* editor = indexWidget(cell)) QCoreApplication::sendEvent(editor, event);
}

bool GridView::AtTabEdge(bool next) {
  const QModelIndex current = currentIndex();
  if (!current.isValid()) return true;
  const QModelIndex to = moveCursor(next ? MoveNext : MovePrevious, Qt::NoModifier);
  if (!to.isValid() || to == current) return true;
  const auto place = [this](const QModelIndex& cell) {
    return std::pair(verticalHeader()->visualIndex(cell.row()),
                     horizontalHeader()->visualIndex(cell.column()));
  };
  return next ? place(to) < place(current) : place(current) < place(to);
}

bool GridView::LeaveTable(bool next) {
  // Past the item view, whose own handling would walk on to the next cell.
  return QAbstractScrollArea::focusNextPrevChild(next);  // NOLINT(bugprone-parent-virtual-call)
}

bool GridView::focusNextPrevChild(bool next) {
  if (tabKeyNavigation() && AtTabEdge(next)) return LeaveTable(next);
  return QTableView::focusNextPrevChild(next);
}

void GridView::mousePressEvent(QMouseEvent* event) {
  clickEdit_.stop();
  // A right-click only opens a popup; the popup itself decides whether the cell becomes current.
  if (event->button() == Qt::RightButton) {
    event->accept();
    return;
  }
  pressOnCurrent_ = event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier &&
                    state() != EditingState && currentIndex().isValid() &&
                    indexAt(event->position().toPoint()) == currentIndex();
  QTableView::mousePressEvent(event);
}

void GridView::mouseReleaseEvent(QMouseEvent* event) {
  QTableView::mouseReleaseEvent(event);
  if (pressOnCurrent_ && indexAt(event->position().toPoint()) == currentIndex() &&
      IsEditable(currentIndex())) {
    clickEdit_.start();
  }
  pressOnCurrent_ = false;
}

void GridView::EditByClick() {
  // The user may have turned to another control, page or window while the click waited: the
  // editor would take the keys from there.
  if (hasFocus() && state() != EditingState && IsEditable(currentIndex())) {
    edit(currentIndex(), AllEditTriggers, nullptr);
  }
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
  clickEdit_.stop();
  QTableView::mouseDoubleClickEvent(event);
  emit tableDoubleClicked();
}

bool GridView::eventFilter(QObject* watched, QEvent* event) {
  // A double-click inside a cell editor is still a double-click on the table.
  if (event->type() == QEvent::MouseButtonDblClick && qobject_cast<QLineEdit*>(watched)) {
    clickEdit_.stop();
    emit tableDoubleClicked();
    return false;
  }
  return QTableView::eventFilter(watched, event);
}

void GridView::commitData(QWidget* editor) {
  // Every commit of the editor's own text, also the one Enter makes just before the delegate
  // closes it: that change must not close the editor from under the delegate.
  const QScopedValueRollback guard(committing_, true);
  QTableView::commitData(editor);
}

void GridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // Forget the cell first, so that writing it back below does not close the editor twice.
  const QPersistentModelIndex cell = std::exchange(editing_, QPersistentModelIndex());
  // Escape takes back the typing, which has already reached the working copy.
  if (hint == QAbstractItemDelegate::RevertModelCache && cell.isValid() &&
      cell.data(Qt::EditRole).toString() != textBeforeEditing_) {
    model()->setData(cell, textBeforeEditing_, Qt::EditRole);
  }
  // Tab in the last cell's editor leaves the table, as Tab on the cell itself does.
  const bool next = hint == QAbstractItemDelegate::EditNextItem;
  const bool leave = (next || hint == QAbstractItemDelegate::EditPreviousItem) && AtTabEdge(next);
  QTableView::closeEditor(editor, leave ? QAbstractItemDelegate::NoHint : hint);
  if (leave) LeaveTable(next);
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
