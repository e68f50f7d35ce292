// Undo and redo in the windows: the 編集 menu, its shortcuts beside the editors' own text undo,
// and one step per act of the user.

// Qt
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

// Korvath
#include "core/edit_history.h"
#include "core/grid_layout.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/unitedit/unit_edit_form.h"

using korvath::GridId;
using korvath::test::ClosePopup;
using korvath::test::OpenPopup;
using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::RightClickCell;
using korvath::test::Workspace;

namespace {

constexpr GridId kOwnUnits = GridId::StringGrid1_2;

QString Text(const std::string& text) { return QString::fromStdString(text); }

QTableView* ShowTable(const Program& program, const char* name, int page) {
  program.Find<QTabWidget>("PageControl1")->setCurrentIndex(page);
  auto* view = program.Find<QTableView>(QLatin1String(name));
  return QTest::qWaitForWindowExposed(view) ? view : nullptr;
}

// Types into a cell's editor and leaves it open; the editor, or nullptr when none opened.
QLineEdit* TypeIntoCell(QTableView* view, const QModelIndex& cell, const QString& text) {
  view->setFocus();
  view->setCurrentIndex(cell);
  view->edit(cell);
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  if (!editor) return nullptr;
  editor->selectAll();
  QTest::keyClicks(editor, text);
  return editor;
}

// The program with the demo save opened through the menu.
struct Session {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program{workspace};
  QString path = workspace.DemoSave("a.bin");

  Session() { program.OpenThroughMenu(dialogs, path); }
};

bool Activate(QWidget* window) {
  window->activateWindow();
  return QTest::qWaitFor([window] { return window->isActiveWindow(); });
}

}  // namespace

class UndoTest : public QObject {
  Q_OBJECT

 private slots:
  void editMenuSitsBetweenFileAndViewAndSaysWhatItUndoes();
  void typedCellIsUndoneAndRedoneWithTheShortcuts();
  void rulerPopupOverManyCellsIsOneStep();
  void unitEditorCommitIsOneStepAndTheEditorShowsItsUndo();
  void ctrlZInAFocusedEditorUndoesItsTextOnly();
  void saveAfterUndoingPastASaveWritesTheOpenedFile();
};

void UndoTest::editMenuSitsBetweenFileAndViewAndSaysWhatItUndoes() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  QStringList menus;
  for (QAction* menu : program.Main().menuBar()->actions()) menus << menu->text();
  QCOMPARE(menus, (QStringList{"ファイル(&F)", "編集(&E)", "表示(&V)", "ヘルプ(&H)"}));

  QAction* undo = program.Action("EditUndoMenu");
  QAction* redo = program.Action("EditRedoMenu");
  QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
  QCOMPARE(redo->shortcuts(),
           (QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_Y),
                                QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
  program.OpenThroughMenu(dialogs, workspace.DemoSave("a.bin"));
  QVERIFY(!undo->isEnabled());
  QVERIFY(!redo->isEnabled());
  QCOMPARE(undo->text(), QStringLiteral("元に戻す(&U)"));

  program.Copy().SetCell(kOwnUnits, 5, 3, "12");
  QVERIFY(undo->isEnabled());
  QCOMPARE(undo->text(), QStringLiteral("元に戻す: 部隊データ No 4 耐久(&U)"));
  undo->trigger();
  QVERIFY(!undo->isEnabled());
  QVERIFY(redo->isEnabled());
  QCOMPARE(redo->text(), QStringLiteral("やり直し: 部隊データ No 4 耐久(&R)"));

  // Another file starts without a history.
  program.OpenThroughMenu(dialogs, workspace.DemoSave("b.bin"));
  QVERIFY(!redo->isEnabled());
  QVERIFY(dialogs.Messages.isEmpty());
}

void UndoTest::typedCellIsUndoneAndRedoneWithTheShortcuts() {
  Session session;
  Program& program = session.program;
  QVERIFY(Activate(&program.Main()));
  QTableView* view = ShowTable(program, "StringGrid1_2", 0);
  QVERIFY(view);
  const korvath::CellGrid& cells = program.Copy().Grid(kOwnUnits);
  const std::string before = cells.Cell(2, 3);

  QLineEdit* editor = TypeIntoCell(view, view->model()->index(1, 3), "1030");
  QVERIFY(editor);
  QTest::keyClick(editor, Qt::Key_Return);
  QTRY_COMPARE(cells.Cell(2, 3), std::string("1030"));
  QCOMPARE(program.Copy().History().UndoCount(), 1u);

  QTRY_COMPARE(QApplication::focusWidget(), view);
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(cells.Cell(2, 3), before);
  QCOMPARE(view->model()->index(1, 3).data().toString(), Text(before));
  QTest::keyClick(view, Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(cells.Cell(2, 3), std::string("1030"));
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(view, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(cells.Cell(2, 3), std::string("1030"));
}

void UndoTest::rulerPopupOverManyCellsIsOneStep() {
  Session session;
  Program& program = session.program;
  QTableView* view = ShowTable(program, "StringGrid5_2", 4);
  QVERIFY(view);
  const korvath::CellGrid& cells = program.Copy().Grid(GridId::StringGrid5_2);

  RightClickCell(view, 2, 1);
  OpenPopup()->findChild<QAction*>("AreaPopupMenu1_1")->trigger();  // 平常: the bases follow
  ClosePopup();
  QVERIFY(Text(cells.Cell(3, 12)).toInt() >= 2);
  std::vector<std::string> before;
  for (int c = 2; c <= 11; ++c) before.push_back(cells.Cell(3, c));
  const std::size_t steps = program.Copy().History().UndoCount();

  RightClickCell(view, 2, 2);
  OpenPopup()->findChild<QAction*>("AreaPopupMenu2_3")->trigger();  // 敵２
  ClosePopup();
  QCOMPARE(cells.Cell(3, 5), std::string("敵２"));
  QCOMPARE(program.Copy().History().UndoCount(), steps + 1);

  program.Action("EditUndoMenu")->trigger();
  for (int c = 2; c <= 11; ++c) QCOMPARE(cells.Cell(3, c), before[std::size_t(c - 2)]);
  QCOMPARE(cells.Cell(3, 1), std::string("平常"));
  QVERIFY(session.dialogs.Messages.isEmpty());
}

void UndoTest::unitEditorCommitIsOneStepAndTheEditorShowsItsUndo() {
  Session session;
  Program& program = session.program;
  korvath::WorkingCopy& copy = program.Copy();
  constexpr int kRow = 6;
  copy.SetCurrentCell(kOwnUnits, kRow, 3);
  const std::string before = copy.Grid(kOwnUnits).Cell(kRow, 3);
  const std::string typed = before == "17" ? "18" : "17";

  program.Action("ViewUnitEditMenu")->trigger();
  auto* editor = program.Find<TUnitEditForm>("UnitEditForm");
  QVERIFY(Activate(editor));
  auto* durability = editor->findChild<QLineEdit*>("Edit3");
  QCOMPARE(durability->text(), Text(before));
  durability->setFocus();
  durability->selectAll();
  QTest::keyClicks(durability, QString::fromStdString(typed));
  QTest::mouseClick(editor->findChild<QPushButton*>("Button8"), Qt::LeftButton);
  QVERIFY2(session.dialogs.Messages.isEmpty(),
           qPrintable(session.dialogs.Messages.isEmpty() ? QString()
                                                         : session.dialogs.Messages[0].Text));
  QCOMPARE(copy.Grid(kOwnUnits).Cell(kRow, 3), typed);
  QCOMPARE(copy.History().UndoCount(), 1u);
  QVERIFY(copy.UndoDescription().starts_with("部隊エディタ 変更"));

  QVERIFY(Activate(&program.Main()));
  QTest::keyClick(&program.Main(), Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(copy.Grid(kOwnUnits).Cell(kRow, 3), before);
  QVERIFY(!copy.CanUndo());
  QVERIFY(Activate(editor));
  QCOMPARE(durability->text(), Text(before));
}

void UndoTest::ctrlZInAFocusedEditorUndoesItsTextOnly() {
  Session session;
  Program& program = session.program;
  korvath::WorkingCopy& copy = program.Copy();
  QVERIFY(Activate(&program.Main()));
  copy.SetCell(kOwnUnits, 9, 3, "321");  // the step a stolen Ctrl+Z would undo

  auto* money = program.Find<QLineEdit>("Edit1_1");
  const QString before = money->text();
  money->setFocus();
  money->selectAll();
  QTest::keyClicks(money, "4660");
  QCOMPARE(copy.Control("Edit1_1").Text, std::string("4660"));
  QTest::keyClick(money, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(money->text(), before);
  QCOMPARE(copy.Control("Edit1_1").Text, before.toStdString());
  QCOMPARE(copy.Grid(kOwnUnits).Cell(9, 3), std::string("321"));
  // Typed back to where it was: the cell is again what undo would change.
  QCOMPARE(copy.UndoDescription(), std::string("部隊データ No 8 耐久"));

  // Committed, the typing is one step that the window's undo takes back.
  QTest::keyClicks(money, "77");
  QTest::keyClick(money, Qt::Key_Return);
  QCOMPARE(copy.UndoDescription(), std::string("総資金"));
  program.Action("EditUndoMenu")->trigger();
  QCOMPARE(money->text(), before);

  // In a cell editor too.
  QTableView* view = ShowTable(program, "StringGrid1_2", 0);
  const std::string cell = copy.Grid(kOwnUnits).Cell(4, 3);
  QVERIFY(!cell.empty());
  QLineEdit* editor = TypeIntoCell(view, view->model()->index(3, 3), "55");
  QVERIFY(editor);
  QTest::keyClick(editor, Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(editor->text(), Text(cell));
  QCOMPARE(copy.Grid(kOwnUnits).Cell(9, 3), std::string("321"));
}

void UndoTest::saveAfterUndoingPastASaveWritesTheOpenedFile() {
  Session session;
  Program& program = session.program;
  const QString& path = session.path;
  program.Save();
  const QByteArray opened = ReadFile(path);
  korvath::WorkingCopy& copy = program.Copy();

  copy.SetCell(kOwnUnits, 3, 1, "7");  // a unit type: its name changes at Save
  copy.SetCell(kOwnUnits, 3, 13, "突入");
  program.Find<QLineEdit>("Edit1_2")->setText("12345");
  program.Save();
  QVERIFY(ReadFile(path) != opened);
  QVERIFY(copy.IsAtSavePoint());
  QVERIFY(program.Action("EditUndoMenu")->isEnabled());

  while (copy.CanUndo()) program.Action("EditUndoMenu")->trigger();
  QVERIFY2(ReadFile(path) != opened, "undo never touches the file");
  program.Save();
  QCOMPARE(ReadFile(path), opened);
  QVERIFY(session.dialogs.Messages.isEmpty());
}

QTEST_MAIN(UndoTest)
#include "tst_undo.moc"
