// Input the way a person gives it, with a person's timing: clicks, pauses, typing, the wheel and
// switching windows. Each case checks that only the value the user aimed at changes, in the
// working copy and in the saved file.

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QWheelEvent>
#include <filesystem>
#include <memory>
#include <string>

#include "core/file_io.h"
#include "core/grid_layout.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/common/translation.h"
#include "ui/main/grid_view.h"
#include "ui/unitedit/unit_edit_form.h"

namespace {

using korvath::GridId;
using korvath::ui::GridView;
namespace kt = korvath::test;

constexpr int kKeyGapMs = 120;

// Brings the page of a control to the front.
template <typename T>
T* Show(const kt::Program& program, const QString& name) {
  auto* control = program.Find<T>(name);
  auto* pages = program.Find<QTabWidget>("PageControl1");
  for (int page = 0; control && page < pages->count(); ++page) {
    if (pages->widget(page)->isAncestorOf(control)) pages->setCurrentIndex(page);
  }
  return control;
}

QPoint CellCentre(QTableView* view, int row, int column) {
  const QModelIndex cell = view->model()->index(row, column);
  view->scrollTo(cell);
  return view->visualRect(cell).center();
}

void ClickCell(QTableView* view, int row, int column) {
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, CellCentre(view, row, column));
}

// Each key goes to whatever has the focus when it is pressed, as on a keyboard.
void TypeAtHumanSpeed(const QString& text) {
  for (const QChar c : text) {
    QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    QTest::qWait(kKeyGapMs);
  }
}

void PressKey(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

void WheelOver(QWidget* widget, int notches) {
  const QPointF at = QRectF(widget->rect()).center();
  for (int i = 0; i < notches; ++i) {
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
    QTest::qWait(50);
  }
}

// The saved file as the editor shows it when it opens it again.
std::unique_ptr<korvath::WorkingCopy> Reopen(const kt::Workspace& workspace, const QString& path) {
  const auto local = [](const QString& p) {
    return std::filesystem::path(QFile::encodeName(p).toStdString());
  };
  auto copy = std::make_unique<korvath::WorkingCopy>(local(workspace.Path(QString())));
  const auto bytes = korvath::ReadWholeFile(local(path), korvath::SaveImage::Capacity);
  if (!bytes || !copy->Open(*bytes, path.toStdString())) return nullptr;
  return copy;
}

// Every cell of the table's rows except one row is as in `before`.
bool OtherRowsUnchanged(const korvath::CellGrid& after, const korvath::CellGrid& before,
                        GridId grid, int skippedRow) {
  const korvath::GridLayout& layout = korvath::LayoutOf(grid);
  for (int row = 1; row < layout.VisibleRows; ++row) {
    for (int column = 0; column < int(layout.Columns.size()); ++column) {
      if (row != skippedRow && after.Cell(row, column) != before.Cell(row, column)) return false;
    }
  }
  return true;
}

// The program with the demo save open and one table's page in front.
struct OpenTable {
  explicit OpenTable(const QString& table) : Path(Space.DemoSave("slot1.bin")) {
    App.OpenThroughMenu(Dialogs, Path);
    View = Show<GridView>(App, table);
    if (!View || !QTest::qWaitForWindowExposed(View))
      qFatal("table %s not shown", qPrintable(table));
  }
  korvath::WorkingCopy& Copy() const { return App.Copy(); }
  const korvath::CellGrid& Cells() const { return Copy().Grid(View->Grid()); }

  kt::RecordingDialogs Dialogs;
  kt::Workspace Space;
  kt::Program App{Space};
  QString Path;
  GridView* View = nullptr;
};

TUnitEditForm* UnitEditor(const kt::Program& program) {
  return program.Find<TUnitEditForm>(QStringLiteral("UnitEditForm"));
}

QString UnitEditorText(const kt::Program& program, const char* edit) {
  return UnitEditor(program)->findChild<QLineEdit*>(QLatin1String(edit))->text();
}

}  // namespace

class InputTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void typingAfterASecondClickEditsThatCell_data();
  void typingAfterASecondClickEditsThatCell();
  void keysOnACellThatCannotBeEditedChangeNothing_data();
  void keysOnACellThatCannotBeEditedChangeNothing();
  void escapeTakesTheTypingBack();
  void openingAnotherFileEndsTheCellEditing();
  void wheelOverAListWithoutFocusChangesNothing();
  void typedCellIsWhatTheUnitEditorShows_data();
  void typedCellIsWhatTheUnitEditorShows();
  void doubleClickInACellEditorOpensTheUnitEditor();
  void aClickWaitingToEditGivesWayToWhatComesNext_data();
  void aClickWaitingToEditGivesWayToWhatComesNext();
  void qtDialogsSpeakJapanese();
};

void InputTest::typingAfterASecondClickEditsThatCell_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("column");
  QTest::addColumn<QString>("typed");
  // Each typed text starts with a digit that other cells of the column start with.
  QTest::newRow("unit durability") << "StringGrid1_2" << 5 << 3 << "99";
  QTest::newRow("unit type id") << "StringGrid1_2" << 5 << 1 << "99";
  QTest::newRow("plan turn") << "StringGrid1_1" << 1 << 2 << "10";
  QTest::newRow("pilot merit") << "StringGrid4_1" << 2 << 10 << "42";
}

void InputTest::typingAfterASecondClickEditsThatCell() {
  QFETCH(QString, table);
  QFETCH(int, row);
  QFETCH(int, column);
  QFETCH(QString, typed);
  OpenTable t(table);
  const GridId grid = t.View->Grid();
  const korvath::CellGrid before = t.Cells();

  // Click, a pause, a second click and typing at once: the click's wait for a double-click is
  // still running while the keys arrive.
  ClickCell(t.View, row, column);
  QTest::qWait(1000);
  ClickCell(t.View, row, column);
  QTest::qWait(100);
  TypeAtHumanSpeed(typed);
  PressKey(Qt::Key_Return);
  QCOMPARE(t.Cells().Cell(row + 1, column), typed.toStdString());
  QVERIFY(OtherRowsUnchanged(t.Cells(), before, grid, row + 1));

  t.App.Save();
  QVERIFY(t.Dialogs.Messages.isEmpty());
  const auto saved = Reopen(t.Space, t.Path);
  QVERIFY(saved);
  QCOMPARE(saved->Grid(grid).Cell(row + 1, column), typed.toStdString());
  QVERIFY(OtherRowsUnchanged(saved->Grid(grid), before, grid, row + 1));
}

void InputTest::keysOnACellThatCannotBeEditedChangeNothing_data() {
  QTest::addColumn<QString>("table");
  QTest::addColumn<int>("row");
  QTest::addColumn<int>("column");
  QTest::newRow("unit type name") << "StringGrid1_2" << 5 << 2;
  QTest::newRow("weapon") << "StringGrid7_1" << 3 << 0;
}

void InputTest::keysOnACellThatCannotBeEditedChangeNothing() {
  QFETCH(QString, table);
  QFETCH(int, row);
  QFETCH(int, column);
  OpenTable t(table);
  const korvath::CellGrid before = t.Cells();

  ClickCell(t.View, row, column);
  QTest::qWait(600);
  TypeAtHumanSpeed("1a9");
  QCOMPARE(QApplication::focusWidget(), t.View);  // no editor opened
  QCOMPARE(t.View->currentIndex(), t.View->model()->index(row, column));
  QVERIFY(OtherRowsUnchanged(t.Cells(), before, t.View->Grid(), -1));
}

void InputTest::init() {
  // An editor closed twice means a change of the cell closed it from under its own delegate,
  // which then skips what Enter, Tab or Escape asked for.
  QTest::failOnWarning(QRegularExpression(QStringLiteral("closeEditor called with an editor")));
}

void InputTest::escapeTakesTheTypingBack() {
  OpenTable t("StringGrid1_2");
  const std::string durability = t.Cells().Cell(6, 3);

  ClickCell(t.View, 5, 3);
  QTest::qWait(600);
  TypeAtHumanSpeed("77");
  QCOMPARE(t.Cells().Cell(6, 3), std::string("77"));
  PressKey(Qt::Key_Escape);
  QCOMPARE(t.Cells().Cell(6, 3), durability);
  QCOMPARE(t.View->model()->index(5, 3).data().toString(), QString::fromStdString(durability));
}

void InputTest::openingAnotherFileEndsTheCellEditing() {
  OpenTable t("StringGrid1_2");
  const auto other = Reopen(t.Space, t.Space.DemoSave("b.bin"));
  QVERIFY(other);
  other->SetCell(GridId::StringGrid1_2, 6, 3, "123");
  other->StorePass();
  const auto bytes = other->Image().Contents();
  const QString second = t.Space.WriteFile(
      "b.bin", QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())));

  ClickCell(t.View, 5, 3);
  QTest::qWait(600);
  TypeAtHumanSpeed("77");
  t.App.OpenThroughMenu(t.Dialogs, second);
  QCOMPARE(t.Cells().Cell(6, 3), std::string("123"));
  QVERIFY(!t.View->indexWidget(t.View->model()->index(5, 3)));

  // Neither Escape nor Save brings back the first file's text or the typing.
  PressKey(Qt::Key_Escape);
  t.App.Save();
  QVERIFY(t.Dialogs.Messages.isEmpty());
  const auto saved = Reopen(t.Space, second);
  QVERIFY(saved);
  QCOMPARE(saved->Grid(GridId::StringGrid1_2).Cell(6, 3), std::string("123"));
}

void InputTest::wheelOverAListWithoutFocusChangesNothing() {
  // The focus in the unit table, the pointer over the faction list.
  OpenTable t("StringGrid1_2");
  const kt::Program& program = t.App;
  korvath::WorkingCopy& copy = t.Copy();
  const QByteArray before = kt::ReadFile(t.Path);
  ClickCell(t.View, 5, 3);
  auto* faction = program.Find<QComboBox>("ComboBox1_1");
  const int factionIndex = copy.Control("ComboBox1_1").ItemIndex;
  WheelOver(faction, 2);
  QCOMPARE(faction->currentIndex(), factionIndex);
  QCOMPARE(copy.Control("ComboBox1_1").ItemIndex, factionIndex);

  // The scenario list, with the focus in the edit box beside it.
  auto* scenario = Show<QComboBox>(program, "ComboBox6_1");
  program.Find<QLineEdit>("Edit6_1")->setFocus();
  const int scenarioIndex = copy.Control("ComboBox6_1").ItemIndex;
  WheelOver(scenario, 2);
  QCOMPARE(copy.Control("ComboBox6_1").ItemIndex, scenarioIndex);

  program.Save();
  QCOMPARE(kt::ReadFile(t.Path), before);

  // A list that has the focus takes the wheel, as lists do.
  Show<QComboBox>(program, "ComboBox1_1");
  faction->setFocus();
  QVERIFY(QTest::qWaitFor([faction] { return faction->hasFocus(); }));
  WheelOver(faction, 1);
  QCOMPARE(copy.Control("ComboBox1_1").ItemIndex, factionIndex + 1);
}

void InputTest::typedCellIsWhatTheUnitEditorShows_data() {
  QTest::addColumn<bool>("pilotTable");
  QTest::addColumn<QString>("typed");
  QTest::newRow("unit durability") << false << "300";
  QTest::newRow("pilot merit") << true << "99";
}

void InputTest::typedCellIsWhatTheUnitEditorShows() {
  QFETCH(bool, pilotTable);
  QFETCH(QString, typed);
  OpenTable t("StringGrid1_2");
  const kt::Program& program = t.App;
  korvath::WorkingCopy& copy = t.Copy();
  constexpr int kSlot = 3;
  QTest::mouseDClick(t.View->viewport(), Qt::LeftButton, {}, CellCentre(t.View, kSlot, 2));
  TUnitEditForm* editor = UnitEditor(program);
  QVERIFY(kt::WaitActive(editor));

  // Back in the main window, the cell is typed into and left open.
  const int pilot = std::stoi(copy.Grid(GridId::StringGrid1_2).Cell(kSlot + 1, 7));
  const GridId grid = pilotTable ? GridId::StringGrid4_1 : GridId::StringGrid1_2;
  const int row = pilotTable ? pilot : kSlot;
  const int column = pilotTable ? 10 : 3;
  program.Main().activateWindow();
  QVERIFY(kt::WaitActive(&program.Main()));
  auto* view = Show<QTableView>(program, pilotTable ? "StringGrid4_1" : "StringGrid1_2");
  ClickCell(view, row, column);
  QTest::qWait(600);
  TypeAtHumanSpeed(typed);
  QVERIFY(QApplication::focusWidget() != view);

  editor->activateWindow();
  QVERIFY(kt::WaitActive(editor));
  QCOMPARE(UnitEditorText(program, pilotTable ? "Edit9" : "Edit3"), typed);
  QTest::mouseClick(editor->findChild<QWidget*>(QStringLiteral("Button8")), Qt::LeftButton);
  QVERIFY(t.Dialogs.Messages.isEmpty());
  QCOMPARE(copy.Grid(grid).Cell(row + 1, column), typed.toStdString());

  program.Save();
  const auto saved = Reopen(t.Space, t.Path);
  QVERIFY(saved);
  QCOMPARE(saved->Grid(grid).Cell(row + 1, column), typed.toStdString());
}

void InputTest::doubleClickInACellEditorOpensTheUnitEditor() {
  OpenTable t("StringGrid1_2");
  const kt::Program& program = t.App;
  QTableView* view = t.View;

  ClickCell(view, 3, 3);
  QTest::qWait(600);
  TypeAtHumanSpeed("30");
  QWidget* cellEditor = QApplication::focusWidget();
  QVERIFY(cellEditor && cellEditor != view);
  QVERIFY(!UnitEditor(program)->isVisible());
  QTest::mouseDClick(cellEditor, Qt::LeftButton);
  QVERIFY(kt::WaitActive(UnitEditor(program)));
  QCOMPARE(UnitEditorText(program, "Edit1"), QStringLiteral("3"));
  QCOMPARE(UnitEditorText(program, "Edit3"), QStringLiteral("30"));
}

void InputTest::aClickWaitingToEditGivesWayToWhatComesNext_data() {
  QTest::addColumn<bool>("nextPage");
  QTest::newRow("typing in an edit box") << false;
  QTest::newRow("the next page by keys") << true;
}

// A second click on the current cell edits it only once the double-click time is over; whatever
// the user turned to meanwhile keeps the keys.
void InputTest::aClickWaitingToEditGivesWayToWhatComesNext() {
  QFETCH(bool, nextPage);
  OpenTable t("StringGrid1_2");
  const korvath::CellGrid before = t.Cells();
  ClickCell(t.View, 5, 3);
  QTest::qWait(600);
  ClickCell(t.View, 5, 3);
  if (nextPage) {
    QTest::keyClick(t.View, Qt::Key_Tab, Qt::ControlModifier);
    QTest::qWait(QApplication::doubleClickInterval() + 200);
  } else {
    auto* box = t.App.Find<QLineEdit>("Edit1_1");
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    TypeAtHumanSpeed("54321");
    QCOMPARE(t.Copy().Control("Edit1_1").Text, std::string("54321"));
  }
  QVERIFY(!t.View->isAncestorOf(QApplication::focusWidget()));
  QVERIFY(OtherRowsUnchanged(t.Cells(), before, t.View->Grid(), -1));
}

void InputTest::qtDialogsSpeakJapanese() {
  QVERIFY(korvath::ui::InstallQtTranslation());
  const QString notFound = QCoreApplication::translate(
      "QFileDialog", "%1\nFile not found.\nPlease verify the correct file name was given.");
  QVERIFY2(notFound.contains(QStringLiteral("見つかりません")), qPrintable(notFound));
  QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("キャンセル"));
}

QTEST_MAIN(InputTest)
#include "tst_input.moc"
