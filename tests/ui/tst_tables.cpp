// The tables and the check list as the user meets them: rows and headings, which cells can be
// selected and typed into, fixed columns, popups and double-clicks, and the way of each change
// into the file.

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QListView>
#include <QMenu>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/common/fonts.h"
#include "ui/main/plain_cell_delegate.h"
#include "ui/unitedit/unit_edit_form.h"

using korvath::GridId;
using korvath::test::BitsOf;
using korvath::test::ClosePopup;
using korvath::test::OpenPopup;
using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::RightClickCell;
using korvath::test::Workspace;

namespace {

// Finds a control and brings its page to the front.
template <typename T>
T* Show(const Program& program, const QString& name) {
  auto* control = program.Find<T>(name);
  if (!control) return nullptr;
  auto* pages = program.Find<QTabWidget>("PageControl1");
  for (int page = 0; page < pages->count(); ++page) {
    if (pages->widget(page)->isAncestorOf(control)) pages->setCurrentIndex(page);
  }
  return control;
}

QTableView* ShowTable(const Program& program, const QString& name) {
  return Show<QTableView>(program, name);
}

// Sends a right-click to any part of a table and names the menu it opened ("" for none). A
// scroll bar's own menu runs an event loop of its own, so the menu is also caught from inside.
QString MenuOfRightClick(QWidget* target, QPoint pos) {
  QString opened;
  auto catchMenu = [&opened] {
    if (QMenu* menu = OpenPopup()) {
      opened = menu->objectName().isEmpty() ? QStringLiteral("(unnamed)") : menu->objectName();
      ClosePopup();
    }
  };
  QTimer::singleShot(0, target, catchMenu);
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
  QApplication::sendEvent(target, &event);
  QTest::qWait(10);
  catchMenu();
  return opened;
}

// Starts typing into a cell, leaving its editor open.
QWidget* TypeIntoCell(QTableView* view, const QModelIndex& cell, const QString& text) {
  view->setFocus();
  view->setCurrentIndex(cell);
  QTest::keyClicks(view, text.left(1));
  QWidget* editor = QApplication::focusWidget();
  if (!editor || editor == view) return nullptr;
  QTest::keyClicks(editor, text.mid(1));
  return editor;
}

// The absolute bit of a record's field: records of `stride` bits from (byte, bit).
struct FieldAt {
  int Byte;
  int Bit;
};
FieldAt RecordField(int firstByte, int firstBit, int stride, int record, int offset) {
  const int at = firstByte * 8 + firstBit + stride * record + offset;
  return {at / 8, at % 8};
}

}  // namespace

class TablesTest : public QObject {
  Q_OBJECT

 private slots:
  void tablesShowTheirVisibleRows_data();
  void tablesShowTheirVisibleRows();
  void cellsFollowSelectionAndEditingRules_data();
  void cellsFollowSelectionAndEditingRules();
  void fixedColumnsStayInViewWhenScrolled_data();
  void fixedColumnsStayInViewWhenScrolled();
  void typedCellReachesFileAfterSave();
  void textOfOpenCellEditorIsSaved();
  void rangeSelectionOnlyInPlanTables_data();
  void rangeSelectionOnlyInPlanTables();
  void clippedHeadingShowsItsFullText();
  void rightClickOpensMenuOnlyWhereAllowed_data();
  void rightClickOpensMenuOnlyWhereAllowed();
  void rightClickBesideCellsOpensNoMenu_data();
  void rightClickBesideCellsOpensNoMenu();
  void popupChoiceReachesFileAfterSave_data();
  void popupChoiceReachesFileAfterSave();
  void popupChangesOnlyTheClickedRow();
  void rightButtonLeavesCurrentCellAlone();
  void rulerChoiceWithBadBaseCountShowsMessage();
  void currentCellAndPageFollowWorkingCopy();
  void doubleClickOnUnitTableNeedsAnOpenFile();
  void checkListShowsHeaderLinesAsHeadings();
  void cellsLookAsTheStyleDrawsThem();
};

void TablesTest::tablesShowTheirVisibleRows_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("rows");
  QTest::addColumn<QString>("firstHeading");
  QTest::addColumn<QString>("lastHeading");
  QTest::newRow("plans") << "StringGrid2_1" << 265 << "名前"
                         << "ターン";
  QTest::newRow("units") << "StringGrid3_2" << 200 << "No"
                         << "スタック";
  QTest::newRow("pilots: 155 of 200 records") << "StringGrid4_1" << 155 << "名前"
                                              << "？";
  QTest::newRow("docks") << "StringGrid5_1" << 152 << "名前"
                         << "ターン";
  QTest::newRow("areas") << "StringGrid5_2" << 78 << "名前"
                         << "拠点数";
  QTest::newRow("weapons") << "StringGrid7_1" << 294 << "名前"
                           << "搭載";
}

void TablesTest::tablesShowTheirVisibleRows() {
  QFETCH(QString, table);
  QFETCH(int, rows);
  QFETCH(QString, firstHeading);
  QFETCH(QString, lastHeading);
  Workspace workspace;
  Program program(workspace);
  QTableView* view = ShowTable(program, table);
  QVERIFY(view);
  const QAbstractItemModel* model = view->model();
  QCOMPARE(model->rowCount(), rows);
  QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), firstHeading);
  QCOMPARE(model->headerData(model->columnCount() - 1, Qt::Horizontal).toString(), lastHeading);
  QCOMPARE(view->rowHeight(0), 16);
}

void TablesTest::cellsFollowSelectionAndEditingRules_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("column");
  QTest::addColumn<bool>("selectable");
  QTest::addColumn<bool>("editable");
  QTest::newRow("plan name") << "StringGrid1_1" << 0 << true << false;
  QTest::newRow("plan state: popup only") << "StringGrid1_1" << 1 << true << false;
  QTest::newRow("plan turn") << "StringGrid1_1" << 2 << true << true;
  QTest::newRow("unit slot number") << "StringGrid2_2" << 0 << true << false;
  QTest::newRow("unit type id") << "StringGrid2_2" << 1 << true << true;
  QTest::newRow("unit type name") << "StringGrid2_2" << 2 << true << false;
  QTest::newRow("unit carrier") << "StringGrid2_2" << 12 << true << true;
  QTest::newRow("unit move: popup only") << "StringGrid2_2" << 13 << true << false;
  QTest::newRow("unit stack") << "StringGrid2_2" << 19 << true << true;
  QTest::newRow("pilot affiliation id") << "StringGrid4_1" << 4 << true << true;
  QTest::newRow("pilot affiliation") << "StringGrid4_1" << 5 << true << false;
  QTest::newRow("pilot injury turn") << "StringGrid4_1" << 13 << true << true;
  QTest::newRow("pilot unknown value") << "StringGrid4_1" << 14 << true << false;
  QTest::newRow("dock number") << "StringGrid5_1" << 1 << true << false;
  QTest::newRow("dock unit id") << "StringGrid5_1" << 2 << true << true;
  QTest::newRow("dock unit name") << "StringGrid5_1" << 3 << true << false;
  QTest::newRow("dock turns") << "StringGrid5_1" << 4 << true << true;
  QTest::newRow("area name") << "StringGrid5_2" << 0 << false << false;
  QTest::newRow("area battle") << "StringGrid5_2" << 1 << true << false;
  QTest::newRow("area base 8") << "StringGrid5_2" << 11 << true << false;
  QTest::newRow("area base count") << "StringGrid5_2" << 12 << false << false;
  QTest::newRow("weapon name") << "StringGrid7_1" << 0 << true << false;
  QTest::newRow("weapon capacity") << "StringGrid7_1" << 4 << true << false;
}

void TablesTest::cellsFollowSelectionAndEditingRules() {
  QFETCH(QString, table);
  QFETCH(int, column);
  QFETCH(bool, selectable);
  QFETCH(bool, editable);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  QTableView* view = ShowTable(program, table);

  for (int row : {0, 7, view->model()->rowCount() - 1}) {
    const Qt::ItemFlags flags = view->model()->flags(view->model()->index(row, column));
    QCOMPARE(bool(flags & Qt::ItemIsSelectable), selectable);
    QCOMPARE(bool(flags & Qt::ItemIsEnabled), selectable);
    QCOMPARE(bool(flags & Qt::ItemIsEditable), editable);
  }
}

void TablesTest::fixedColumnsStayInViewWhenScrolled_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<QStringList>("fixedHeadings");
  QTest::newRow("units") << "StringGrid1_2" << QStringList{"No"};
  QTest::newRow("docks") << "StringGrid5_1" << QStringList{"名前", "No"};
  QTest::newRow("areas") << "StringGrid5_2" << QStringList{"名前"};
}

void TablesTest::fixedColumnsStayInViewWhenScrolled() {
  QFETCH(QString, table);
  QFETCH(QStringList, fixedHeadings);
  Workspace workspace;
  Program program(workspace);
  QTableView* view = ShowTable(program, table);
  QVERIFY(QTest::qWaitForWindowExposed(view));
  auto* fixed = program.Find<QTableView>(table + "Fixed");
  QVERIFY(fixed);

  view->horizontalScrollBar()->setValue(view->horizontalScrollBar()->maximum());
  view->verticalScrollBar()->setValue(40);
  QVERIFY(fixed->isVisible());
  QCOMPARE(fixed->geometry().left(), view->frameWidth());
  QCOMPARE(fixed->viewport()->width(), view->viewport()->geometry().left() - view->frameWidth());
  // The fixed columns scroll with the rows, never sideways.
  QCOMPARE(fixed->rowAt(0), view->rowAt(0));
  for (int c = 0; c < fixedHeadings.size(); ++c) {
    QVERIFY(view->isColumnHidden(c));  // so the cursor never reaches them
    QVERIFY(!fixed->isColumnHidden(c));
    QCOMPARE(fixed->model()->headerData(c, Qt::Horizontal).toString(), fixedHeadings[c]);
  }
  QVERIFY(fixed->isColumnHidden(fixedHeadings.size()));
}

void TablesTest::typedCellReachesFileAfterSave() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);
  QTableView* view = ShowTable(program, "StringGrid1_2");
  QVERIFY(QTest::qWaitForWindowExposed(view));

  // Durability of slot 1 of the player's force.
  QWidget* editor = TypeIntoCell(view, view->model()->index(1, 3), "1030");
  QVERIFY(editor);
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(program.Copy().Grid(GridId::StringGrid1_2).Cell(2, 3), std::string("1030"));

  program.Save();
  QVERIFY(dialogs.Messages.isEmpty());
  const FieldAt durability = RecordField(1676, 0, 175, 1, 155);
  QCOMPARE(durability.Byte, 1717);
  QCOMPARE(BitsOf(ReadFile(path), durability.Byte, durability.Bit, 10), 6u);  // 1030 in 10 bits
}

void TablesTest::textOfOpenCellEditorIsSaved() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);
  QTableView* view = ShowTable(program, "StringGrid1_2");
  QVERIFY(QTest::qWaitForWindowExposed(view));

  // Durability of slot 1, still being typed when the user saves with the shortcut.
  QWidget* editor = TypeIntoCell(view, view->model()->index(1, 3), "1030");
  QVERIFY(editor);
  QTest::keyClick(editor, Qt::Key_S, Qt::ControlModifier);

  QVERIFY(dialogs.Messages.isEmpty());
  const FieldAt durability = RecordField(1676, 0, 175, 1, 155);
  QCOMPARE(BitsOf(ReadFile(path), durability.Byte, durability.Bit, 10), 6u);  // 1030 in 10 bits
}

void TablesTest::rangeSelectionOnlyInPlanTables_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("column");
  QTest::addColumn<bool>("ranges");
  QTest::newRow("plans") << "StringGrid2_1" << 1 << true;
  QTest::newRow("units") << "StringGrid2_2" << 3 << false;
  QTest::newRow("pilots") << "StringGrid4_1" << 1 << false;
  QTest::newRow("docks") << "StringGrid5_1" << 2 << false;
  QTest::newRow("areas") << "StringGrid5_2" << 2 << false;
  QTest::newRow("weapons") << "StringGrid7_1" << 1 << false;
}

void TablesTest::rangeSelectionOnlyInPlanTables() {
  QFETCH(QString, table);
  QFETCH(int, column);
  QFETCH(bool, ranges);
  Workspace workspace;
  Program program(workspace);
  QTableView* view = ShowTable(program, table);
  QVERIFY(QTest::qWaitForWindowExposed(view));
  const QModelIndex from = view->model()->index(1, column);
  const QModelIndex to = view->model()->index(4, column + 1);

  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(from).center());
  QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                    view->visualRect(to).center());

  QCOMPARE(view->currentIndex(), to);
  QCOMPARE(view->selectionModel()->selectedIndexes().size(), ranges ? 8 : 1);
}

void TablesTest::clippedHeadingShowsItsFullText() {
  Workspace workspace;
  Program program(workspace);
  QTableView* view = ShowTable(program, "StringGrid4_1");
  QVERIFY(QTest::qWaitForWindowExposed(view));
  QHeaderView* header = view->horizontalHeader();
  const int column = 13;
  const QString heading = QStringLiteral("負傷復帰ターン");
  QVERIFY(header->fontMetrics().horizontalAdvance(heading) > header->sectionSize(column));

  const QPoint at(header->sectionViewportPosition(column) + 4, header->height() / 2);
  QHelpEvent event(QEvent::ToolTip, at, header->viewport()->mapToGlobal(at));
  QApplication::sendEvent(header->viewport(), &event);
  QTRY_COMPARE(QToolTip::text(), heading);
  QToolTip::hideText();
}

void TablesTest::rightClickOpensMenuOnlyWhereAllowed_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("menu");
  QTest::newRow("plan state") << "StringGrid1_1" << 1 << "PlanPopupMenu";
  QTest::newRow("plan name") << "StringGrid1_1" << 0 << "";
  QTest::newRow("plan turn") << "StringGrid1_1" << 2 << "";
  QTest::newRow("unit move") << "StringGrid3_2" << 13 << "UnitPopupMenu";
  QTest::newRow("unit carrier") << "StringGrid3_2" << 12 << "";
  QTest::newRow("unit destination") << "StringGrid3_2" << 14 << "";
  QTest::newRow("area battle") << "StringGrid5_2" << 1 << "AreaPopupMenu1";
  QTest::newRow("area ruler") << "StringGrid5_2" << 2 << "AreaPopupMenu2";
  QTest::newRow("area base 8") << "StringGrid5_2" << 11 << "AreaPopupMenu2";
  QTest::newRow("area base count") << "StringGrid5_2" << 12 << "";
  QTest::newRow("pilots") << "StringGrid4_1" << 6 << "";
  QTest::newRow("docks") << "StringGrid5_1" << 2 << "";
}

void TablesTest::rightClickOpensMenuOnlyWhereAllowed() {
  QFETCH(QString, table);
  QFETCH(int, column);
  QFETCH(QString, menu);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  QTableView* view = ShowTable(program, table);
  QVERIFY(QTest::qWaitForWindowExposed(view));

  RightClickCell(view, 3, column);
  QVERIFY2(!OpenPopup(), "no popup before a file is open");

  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  ShowTable(program, table);
  RightClickCell(view, 3, column);
  QMenu* open = OpenPopup();
  QCOMPARE(open ? open->objectName() : QString(), menu);
  ClosePopup();
}

void TablesTest::rightClickBesideCellsOpensNoMenu_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("column");  // one whose cells do open a menu
  QTest::newRow("plans") << "StringGrid1_1" << 1;
  QTest::newRow("units") << "StringGrid1_2" << 13;
  QTest::newRow("areas") << "StringGrid5_2" << 2;
}

void TablesTest::rightClickBesideCellsOpensNoMenu() {
  QFETCH(QString, table);
  QFETCH(int, column);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  QTableView* view = ShowTable(program, table);
  QVERIFY(QTest::qWaitForWindowExposed(view));
  view->scrollTo(view->model()->index(0, column));

  QHeaderView* header = view->horizontalHeader();
  const QPoint heading(header->sectionViewportPosition(column) + 4, header->height() / 2);
  QCOMPARE(MenuOfRightClick(header->viewport(), heading), QString());
  QVERIFY(view->verticalScrollBar()->isVisible());
  for (QScrollBar* bar : {view->verticalScrollBar(), view->horizontalScrollBar()}) {
    if (bar->isVisible()) QCOMPARE(MenuOfRightClick(bar, bar->rect().center()), QString());
  }
}

void TablesTest::popupChoiceReachesFileAfterSave_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("item");
  QTest::addColumn<int>("firstByte");
  QTest::addColumn<int>("firstBit");
  QTest::addColumn<int>("stride");
  QTest::addColumn<int>("offset");
  QTest::addColumn<int>("width");
  QTest::addColumn<uint>("stored");
  QTest::newRow("unit move") << "StringGrid2_2" << 13 << "UnitPopupMenu2" << 6051 << 0 << 175 << 24
                             << 3 << 1u;
  QTest::newRow("plan state") << "StringGrid3_1" << 1 << "PlanPopupMenu4" << 17892 << 0 << 9 << 0
                              << 9 << (5u << 5 | 1u);  // state 5 with turn 1
  QTest::newRow("area battle") << "StringGrid5_2" << 1 << "AreaPopupMenu1_2" << 17002 << 4 << 23
                               << 1 << 2 << 3u;
  QTest::newRow("area base holder")
      << "StringGrid5_2" << 9 << "AreaPopupMenu2_4" << 17002 << 4 << 23 << 17 << 2 << 3u;
}

void TablesTest::popupChoiceReachesFileAfterSave() {
  QFETCH(QString, table);
  QFETCH(int, column);
  QFETCH(QString, item);
  QFETCH(int, firstByte);
  QFETCH(int, firstBit);
  QFETCH(int, stride);
  QFETCH(int, offset);
  QFETCH(int, width);
  QFETCH(uint, stored);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  const QByteArray original = ReadFile(path);
  program.OpenThroughMenu(dialogs, path);
  QTableView* view = ShowTable(program, table);
  QVERIFY(QTest::qWaitForWindowExposed(view));

  // The first record whose field holds something else, so the save has something to show.
  int record = 0;
  auto at = [&](int r) { return RecordField(firstByte, firstBit, stride, r, offset); };
  while (record < view->model()->rowCount() &&
         BitsOf(original, at(record).Byte, at(record).Bit, width) == stored) {
    ++record;
  }
  QVERIFY(record < view->model()->rowCount());

  RightClickCell(view, record, column);
  QMenu* menu = OpenPopup();
  QVERIFY(menu);
  auto* action = menu->findChild<QAction*>(item);
  QVERIFY(action);
  action->trigger();
  ClosePopup();
  program.Save();

  QVERIFY(dialogs.Messages.isEmpty());
  QCOMPARE(BitsOf(ReadFile(path), at(record).Byte, at(record).Bit, width), stored);
}

void TablesTest::popupChangesOnlyTheClickedRow() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  QTableView* view = ShowTable(program, "StringGrid1_1");
  QVERIFY(QTest::qWaitForWindowExposed(view));
  const korvath::CellGrid& cells = program.Copy().Grid(GridId::StringGrid1_1);
  const korvath::CellGrid before = cells;

  view->selectionModel()->select(
      QItemSelection(view->model()->index(1, 0), view->model()->index(5, 2)),
      QItemSelectionModel::ClearAndSelect);
  RightClickCell(view, 9, 1);
  QCOMPARE(view->currentIndex(), view->model()->index(9, 1));
  QCOMPARE(cells.CurrentRow(), 10);
  OpenPopup()->findChild<QAction*>("PlanPopupMenu5")->trigger();
  ClosePopup();

  for (int row = 1; row <= 265; ++row) {
    const bool clicked = row == 10;
    QCOMPARE(cells.Cell(row, 1), clicked ? std::string("資金２") : before.Cell(row, 1));
    QCOMPARE(cells.Cell(row, 2), clicked ? std::string("1") : before.Cell(row, 2));
  }
}

void TablesTest::rightButtonLeavesCurrentCellAlone() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  QTableView* view = ShowTable(program, "StringGrid1_2");
  QVERIFY(QTest::qWaitForWindowExposed(view));
  const QModelIndex current = view->currentIndex();

  const QModelIndex name = view->model()->index(4, 2);
  QTest::mouseClick(view->viewport(), Qt::RightButton, {}, view->visualRect(name).center());
  QCOMPARE(view->currentIndex(), current);
  QCOMPARE(program.Copy().Grid(GridId::StringGrid1_2).CurrentRow(), current.row() + 1);
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(name).center());
  QCOMPARE(view->currentIndex(), name);
}

void TablesTest::rulerChoiceWithBadBaseCountShowsMessage() {
  RecordingDialogs dialogs;
  Workspace workspace;
  // Area 2 claims a number of bases that is not a number.
  QByteArray areas = ReadFile(workspace.Path("area.txt"));
  QList<QByteArray> lines = areas.split('\n');
  lines[2] = lines[2].left(lines[2].indexOf('\t') + 1) + "many";
  workspace.WriteFile("area.txt", lines.join('\n'));
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  QTableView* view = ShowTable(program, "StringGrid5_2");
  QVERIFY(QTest::qWaitForWindowExposed(view));
  const korvath::CellGrid& cells = program.Copy().Grid(GridId::StringGrid5_2);

  RightClickCell(view, 2, 1);
  OpenPopup()->findChild<QAction*>("AreaPopupMenu1_1")->trigger();  // 平常: bases would follow
  ClosePopup();
  const std::string base1 = cells.Cell(3, 4);
  RightClickCell(view, 2, 2);
  OpenPopup()->findChild<QAction*>("AreaPopupMenu2_3")->trigger();  // 敵２
  ClosePopup();

  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Icon, QMessageBox::Critical);
  QCOMPARE(dialogs.Messages[0].Text, QStringLiteral("'many' は整数ではありません"));
  QCOMPARE(cells.Cell(3, 2), std::string("敵２"));
  QCOMPARE(cells.Cell(3, 3), std::string("敵２"));
  QCOMPARE(cells.Cell(3, 4), base1);
}

void TablesTest::currentCellAndPageFollowWorkingCopy() {
  Workspace workspace;
  Program program(workspace);
  auto* pages = program.Find<QTabWidget>("PageControl1");
  QCOMPARE(pages->currentIndex(), 0);

  pages->setCurrentIndex(korvath::kPageEnemy2);
  QCOMPARE(program.Copy().ActivePage(), int(korvath::kPageEnemy2));

  // What the unit editor does when the user picks a unit of the first enemy.
  program.Copy().SetActivePage(korvath::kPageEnemy1);
  program.Copy().SetCurrentCell(GridId::StringGrid2_2, 120, 1);
  QCOMPARE(pages->currentIndex(), int(korvath::kPageEnemy1));
  auto* units = program.Find<QTableView>("StringGrid2_2");
  QCOMPARE(units->currentIndex(), units->model()->index(119, 1));

  // And the way back: the user's click moves the working copy's current cell.
  units->setCurrentIndex(units->model()->index(7, 4));
  QCOMPARE(program.Copy().Grid(GridId::StringGrid2_2).CurrentRow(), 8);
  QCOMPARE(program.Copy().Grid(GridId::StringGrid2_2).CurrentColumn(), 4);
}

void TablesTest::doubleClickOnUnitTableNeedsAnOpenFile() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  auto* editor = program.Main().findChild<TUnitEditForm*>();
  QTableView* plans = ShowTable(program, "StringGrid1_1");
  QTableView* units = ShowTable(program, "StringGrid1_2");
  QVERIFY(QTest::qWaitForWindowExposed(units));
  const QPoint cell = units->visualRect(units->model()->index(2, 2)).center();

  QTest::mouseDClick(units->viewport(), Qt::LeftButton, {}, cell);
  QVERIFY(!editor->isVisible());

  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  ShowTable(program, "StringGrid1_1");
  QTest::mouseDClick(plans->viewport(), Qt::LeftButton, {},
                     plans->visualRect(plans->model()->index(2, 0)).center());
  QVERIFY(!editor->isVisible());
  ShowTable(program, "StringGrid1_2");
  QTest::mouseDClick(units->viewport(), Qt::LeftButton, {}, cell);
  QVERIFY(editor->isVisible());

  // The heading row belongs to the table as much as its cells.
  editor->close();
  QHeaderView* header = units->horizontalHeader();
  QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                     QPoint(header->sectionViewportPosition(2) + 20, header->height() / 2));
  QVERIFY(editor->isVisible());
}

void TablesTest::checkListShowsHeaderLinesAsHeadings() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);
  auto* list = Show<QListView>(program, "CheckListBox6_1");
  QVERIFY(list);
  QVERIFY(QTest::qWaitForWindowExposed(list));
  QAbstractItemModel* model = list->model();
  QCOMPARE(model->rowCount(), 217);

  for (int line = 0; line < model->rowCount(); ++line) {
    const QModelIndex index = model->index(line, 0);
    const bool header = korvath::IsSpecialHeaderLine(line);
    QCOMPARE(bool(model->flags(index) & Qt::ItemIsUserCheckable), !header);
    QCOMPARE(model->data(index, Qt::CheckStateRole).isValid(), !header);
    QCOMPARE(list->visualRect(index).height(), 12);
    if (header) {
      QCOMPARE(model->data(index, Qt::BackgroundRole).value<QBrush>().color(),
               QColor(0xC0, 0xC0, 0xC0));
      QVERIFY(!model->setData(index, Qt::Checked, Qt::CheckStateRole));
    }
  }

  // Line 1 is the 0x80 bit of byte 1414.
  const bool was = BitsOf(ReadFile(path), 1414, 0, 1) != 0;
  QVERIFY(
      model->setData(model->index(1, 0), was ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole));
  program.Save();
  QCOMPARE(BitsOf(ReadFile(path), 1414, 0, 1), was ? 0u : 1u);
}

void TablesTest::cellsLookAsTheStyleDrawsThem() {
  // Every kind of cell the tables show, and some they never do, in every state at once.
  const QStringList texts = {
      "0",     "装甲技術研究 第1段階", "",    "NEW", "a text far wider than its cell",
      "資金2", "two\nlines",           " 12 "};
  QStandardItemModel model(6, 5);
  for (int row = 0; row < model.rowCount(); ++row) {
    for (int column = 0; column < model.columnCount(); ++column) {
      auto* item = new QStandardItem(texts[(row * 3 + column) % texts.size()]);
      if (row == 1) item->setBackground(QColor(0xFF, 0xDD, 0xAA));
      if (row == 2) item->setForeground(QColor(0x20, 0x60, 0x20));
      if (row == 3 && column == 1) item->setFlags(Qt::NoItemFlags);
      if (row == 4 && column == 0) item->setCheckState(Qt::Checked);
      if (row == 4 && column == 1)
        item->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirIcon));
      model.setItem(row, column, item);
    }
  }
  korvath::ui::PlainCellDelegate plain;
  QStyledItemDelegate styled;
  QTableView view;
  view.setFont(korvath::ui::WindowFont());
  view.setModel(&model);
  view.setWordWrap(false);
  view.horizontalHeader()->setDefaultSectionSize(70);
  view.verticalHeader()->setDefaultSectionSize(16);
  view.resize(420, 160);
  view.show();
  QVERIFY(QTest::qWaitForWindowExposed(&view));
  // The current cell apart from the selection, so its focus frame is drawn on either ground.
  view.selectionModel()->select(QItemSelection(model.index(0, 2), model.index(1, 4)),
                                QItemSelectionModel::Select);
  view.selectionModel()->setCurrentIndex(model.index(2, 1), QItemSelectionModel::NoUpdate);
  for (const bool focus : {true, false}) {
    focus ? view.setFocus() : view.clearFocus();
    for (const Qt::TextElideMode mode : {Qt::ElideNone, Qt::ElideRight}) {
      view.setTextElideMode(mode);
      view.setItemDelegate(&styled);
      const QImage expected = view.viewport()->grab().toImage();
      view.setItemDelegate(&plain);
      QCOMPARE(view.viewport()->grab().toImage(), expected);
    }
  }
}

QTEST_MAIN(TablesTest)
#include "tst_tables.moc"
