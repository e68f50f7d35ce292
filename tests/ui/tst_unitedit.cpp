// Qt
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>

// Korvath
#include "core/grid_layout.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/unitedit/unit_edit_form.h"

using korvath::GridId;
using korvath::test::Program;
using korvath::test::RecordingDialogs;
using korvath::test::WaitActive;
using korvath::test::Workspace;

namespace {

constexpr int kUnitRecordBits = 175;
constexpr int kOwnUnitsByte = 1676;

TUnitEditForm* Editor(const Program& program) {
  return program.Find<TUnitEditForm>(QStringLiteral("UnitEditForm"));
}

template <typename T>
T* Control(const Program& program, const char* name) {
  return Editor(program)->findChild<T*>(QLatin1String(name));
}

bool OpenEditor(const Program& program) {
  program.Action("ViewUnitEditMenu")->trigger();
  return WaitActive(Editor(program));
}

// QTest::keyClicks takes Latin-1 only; this types any text as key presses carrying it.
void TypeInto(QWidget* widget, const QString& text) {
  for (const QChar c : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &release);
  }
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

// Clicks into a list's line, types text over what it shows and presses Enter.
void TypeOverAndEnter(QComboBox* combo, const QString& text) {
  QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
  combo->lineEdit()->selectAll();
  TypeInto(combo->lineEdit(), text);
  QTest::keyClick(combo->lineEdit(), Qt::Key_Return);
}

// Opens the list, clicks its entry and lets the popup go, as a user does with the mouse.
void ChooseInOpenList(QComboBox* combo, int index) {
  combo->showPopup();
  QAbstractItemView* list = combo->view();
  QVERIFY(QTest::qWaitForWindowExposed(list->window()));
  QTest::qWait(QApplication::doubleClickInterval());  // a release this early would be ignored
  const QModelIndex item = list->model()->index(index, 0);
  list->scrollTo(item);
  const QPoint at = list->visualRect(item).center();
  QTest::mouseMove(list->viewport(), at);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QVERIFY(!list->window()->isVisible());
}

// A message box stand-in that takes the activation away while it is up and hands it back to
// the editor only after it has gone, the way a window system does.
class ActivationStealingDialogs : public RecordingDialogs {
 public:
  void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) override {
    RecordingDialogs::ShowMessage(parent, icon, text);
    QWidget box;
    box.show();
    box.activateWindow();
    QVERIFY(WaitActive(&box));
    box.hide();
    QTimer::singleShot(0, parent, [parent] { parent->activateWindow(); });
  }
};

}  // namespace

class TestUnitEdit : public QObject {
  Q_OBJECT

 private slots:
  void windowFollowsTheLayout();
  void activationFromAnotherPageEditsTheOwnForce();
  void tabMovesTheMainWindowsPage();
  void doubleClickOnAUnitRowOpensThatSlot();
  void failedCheckIsShownAndKeepsTheInput();
  void returnFromTheMessageBoxKeepsTheInput();
  void returnFromAnotherProgramKeepsTheInput();
  void commitShowsInTheTableAndReachesTheFile();
  void typedEntryTextIsNeverAChoice();
  void wheelNeverChangesAList();
};

void TestUnitEdit::windowFollowsTheLayout() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  TUnitEditForm* editor = Editor(program);
  QVERIFY(editor);
  QCOMPARE(editor->windowTitle(), QStringLiteral("部隊エディタ"));
  QCOMPARE(editor->minimumSize(), QSize(545, 449));
  QCOMPARE(editor->maximumSize(), QSize(545, 449));

  auto* button8 = Control<QPushButton>(program, "Button8");
  QCOMPARE(button8->geometry(), QRect(328, 368, 193, 57));
  QCOMPARE(button8->parentWidget()->objectName(), QStringLiteral("TabControl1Page"));
  auto* combo3 = Control<QComboBox>(program, "ComboBox3");
  QCOMPARE(combo3->geometry(), QRect(48, 40, 257, 20));
  QCOMPARE(combo3->parentWidget()->objectName(), QStringLiteral("GroupBox2"));
  QCOMPARE(Control<QComboBox>(program, "ComboBox6")->maxVisibleItems(), 13);
  QCOMPARE(Control<QComboBox>(program, "ComboBox9")->count(), 5);
  QCOMPARE(Control<QCheckBox>(program, "CheckBox3")->geometry(), QRect(112, 170, 65, 17));
  const std::pair<const char*, bool> checks[] = {{"CheckBox1", true},  {"CheckBox2", true},
                                                 {"CheckBox3", false}, {"CheckBox4", true},
                                                 {"CheckBox5", true},  {"CheckBox6", false}};
  for (const auto& [name, checked] : checks) {
    QCOMPARE(Control<QCheckBox>(program, name)->isChecked(), checked);
  }
  auto* tabs = Control<QTabBar>(program, "TabControl1");
  QCOMPARE(tabs->count(), 3);
  QCOMPARE(tabs->tabText(1), QStringLiteral("敵勢力１"));

  // Tab order: top to bottom through the three groups, then the commit button.
  const QStringList tabOrder = {
      "TabControl1", "Edit1",     "Edit2",     "Button1",   "ComboBox1", "Edit3",
      "Button2",     "Edit4",     "Button3",   "CheckBox1", "Edit5",     "Edit6",
      "Edit7",       "Button4",   "ComboBox2", "CheckBox2", "CheckBox3", "Edit8",
      "Button5",     "ComboBox3", "CheckBox4", "CheckBox5", "CheckBox6", "ComboBox4",
      "ComboBox5",   "ComboBox6", "Edit9",     "Edit10",    "Edit11",    "Button6",
      "ComboBox7",   "Edit12",    "Button7",   "ComboBox8", "ComboBox9", "Button8"};
  QStringList chain;
  QWidget* first = Control<QWidget>(program, "TabControl1");
  for (QWidget* w = first; chain.size() < tabOrder.size(); w = w->nextInFocusChain()) {
    if (tabOrder.contains(w->objectName()) && (w->focusPolicy() & Qt::TabFocus)) {
      chain.append(w->objectName());
    }
    if (w->nextInFocusChain() == first) break;
  }
  QCOMPARE(chain, tabOrder);
  // Screen readers hear each control by a name of its own, never a widget name or a bare "検索".
  QSet<QString> names;
  for (const QString& name : tabOrder.mid(1)) {
    const QString spoken = Control<QWidget>(program, name.toUtf8().constData())->accessibleName();
    QVERIFY2(!spoken.isEmpty() && !names.contains(spoken), qPrintable(name + ": " + spoken));
    names.insert(spoken);
  }
  QCOMPARE(Control<QWidget>(program, "Button1")->accessibleName(),
           QStringLiteral("兵器の名前を検索"));

  // The hint is attached, but asking for it shows nothing.
  auto* edit1 = Control<QLineEdit>(program, "Edit1");
  QCOMPARE(edit1->toolTip(), QStringLiteral("0 ～ 199"));
  QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), edit1->mapToGlobal(QPoint(2, 2)));
  QApplication::sendEvent(edit1, &help);
  QVERIFY(!QToolTip::isVisible());
}

void TestUnitEdit::activationFromAnotherPageEditsTheOwnForce() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  auto* pages = program.Find<QTabWidget>(QStringLiteral("PageControl1"));
  pages->setCurrentIndex(3);  // "パイロット"
  QCOMPARE(program.Copy().ActivePage(), 3);
  program.Copy().SetCurrentCell(GridId::StringGrid1_2, 8, 3);

  QVERIFY(OpenEditor(program));
  QCOMPARE(pages->currentIndex(), 0);
  QCOMPARE(Control<QTabBar>(program, "TabControl1")->currentIndex(), 0);
  QCOMPARE(Control<QLineEdit>(program, "Edit1")->text(), QStringLiteral("7"));
  QCOMPARE(Control<QLineEdit>(program, "Edit3")->text(),
           Text(program.Copy().Grid(GridId::StringGrid1_2).Cell(8, 3)));
}

void TestUnitEdit::tabMovesTheMainWindowsPage() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  program.Copy().SetCurrentCell(GridId::StringGrid3_2, 31, 1);
  QVERIFY(OpenEditor(program));

  auto* tabs = Control<QTabBar>(program, "TabControl1");
  QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(2).center());
  QCOMPARE(program.Find<QTabWidget>(QStringLiteral("PageControl1"))->currentIndex(), 2);
  QCOMPARE(Control<QLineEdit>(program, "Edit1")->text(), QStringLiteral("30"));

  // The number moves the main table's row along.
  auto* edit1 = Control<QLineEdit>(program, "Edit1");
  edit1->selectAll();
  QTest::keyClicks(edit1, QStringLiteral("37"));
  QCOMPARE(program.Copy().Grid(GridId::StringGrid3_2).CurrentRow(), 38);
  QTest::mouseClick(Control<QWidget>(program, "UpDown1Up"), Qt::LeftButton);
  QCOMPARE(edit1->text(), QStringLiteral("38"));
  QCOMPARE(program.Copy().Grid(GridId::StringGrid3_2).CurrentRow(), 39);
  QTest::keyClick(edit1, Qt::Key_Down);
  QCOMPARE(edit1->text(), QStringLiteral("37"));
}

void TestUnitEdit::doubleClickOnAUnitRowOpensThatSlot() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  program.Find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
  auto* view = program.Find<QTableView>(QStringLiteral("StringGrid2_2"));
  const QModelIndex cell = view->model()->index(12, 3);
  view->scrollTo(cell);
  QVERIFY(!Editor(program)->isVisible());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());

  QVERIFY(WaitActive(Editor(program)));
  QCOMPARE(Control<QTabBar>(program, "TabControl1")->currentIndex(), 1);
  QCOMPARE(Control<QLineEdit>(program, "Edit1")->text(), QStringLiteral("12"));
}

void TestUnitEdit::failedCheckIsShownAndKeepsTheInput() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  QVERIFY(OpenEditor(program));
  const std::string before = program.Copy().Grid(GridId::StringGrid1_2).Cell(1, 3);

  auto* edit3 = Control<QLineEdit>(program, "Edit3");
  edit3->selectAll();
  QTest::keyClicks(edit3, QStringLiteral("abc"));
  QTest::mouseClick(Control<QPushButton>(program, "Button8"), Qt::LeftButton);
  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Icon, QMessageBox::Critical);
  QCOMPARE(dialogs.Messages[0].Text,
           QStringLiteral("耐久，物資，疲労，士気には数値を入力してください"));
  QCOMPARE(edit3->text(), QStringLiteral("abc"));
  QCOMPARE(program.Copy().Grid(GridId::StringGrid1_2).Cell(1, 3), before);
}

void TestUnitEdit::returnFromTheMessageBoxKeepsTheInput() {
  Workspace workspace;
  ActivationStealingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  QVERIFY(OpenEditor(program));
  TUnitEditForm* editor = Editor(program);
  const QString stored = Text(program.Copy().Grid(GridId::StringGrid1_2).Cell(1, 3));

  auto* edit3 = Control<QLineEdit>(program, "Edit3");
  edit3->selectAll();
  QTest::keyClicks(edit3, QStringLiteral("x"));
  QTest::mouseClick(Control<QPushButton>(program, "Button8"), Qt::LeftButton);
  QCOMPARE(dialogs.Messages.size(), 1);
  QTRY_VERIFY(editor->isActiveWindow());
  QTest::qWait(20);
  QCOMPARE(edit3->text(), QStringLiteral("x"));

  // A real return from another window reloads the unit.
  program.Main().activateWindow();
  QVERIFY(WaitActive(&program.Main()));
  editor->activateWindow();
  QVERIFY(WaitActive(editor));
  QCOMPARE(edit3->text(), stored);
}

void TestUnitEdit::returnFromAnotherProgramKeepsTheInput() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  QVERIFY(OpenEditor(program));
  TUnitEditForm* editor = Editor(program);
  auto* edit1 = Control<QLineEdit>(program, "Edit1");
  auto* edit3 = Control<QLineEdit>(program, "Edit3");
  edit3->selectAll();
  QTest::keyClicks(edit3, QStringLiteral("x"));

  // The window system takes the activation from the whole program, then hands it back.
  QApplication::setActiveWindow(nullptr);
  QVERIFY(!editor->isActiveWindow());
  QApplication::setActiveWindow(editor);
  QVERIFY(editor->isActiveWindow());
  QCOMPARE(edit3->text(), QStringLiteral("x"));

  // Closed and shown again, the editor takes the main table's row afresh.
  editor->close();
  program.Copy().SetCurrentCell(GridId::StringGrid1_2, 5, 1);
  QVERIFY(OpenEditor(program));
  QCOMPARE(edit1->text(), QStringLiteral("4"));
  QCOMPARE(edit3->text(), Text(program.Copy().Grid(GridId::StringGrid1_2).Cell(5, 3)));
}

void TestUnitEdit::commitShowsInTheTableAndReachesTheFile() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  const QString save = workspace.DemoSave(QStringLiteral("a.bin"));
  program.OpenThroughMenu(dialogs, save);
  korvath::WorkingCopy& copy = program.Copy();
  constexpr int kSlot = 5;
  copy.SetCurrentCell(GridId::StringGrid1_2, kSlot + 1, 1);
  QVERIFY(OpenEditor(program));

  // A choice from the open list fills the maximum values.
  constexpr int kType = 3;
  auto* combo1 = Control<QComboBox>(program, "ComboBox1");
  ChooseInOpenList(combo1, kType + 1);
  QCOMPARE(combo1->currentIndex(), kType + 1);
  QCOMPARE(Control<QLineEdit>(program, "Edit3")->text(),
           QString::number(copy.WeaponMaxDurability(kType)));

  QTest::mouseClick(Control<QPushButton>(program, "Button8"), Qt::LeftButton);
  QVERIFY2(dialogs.Messages.isEmpty(),
           qPrintable(dialogs.Messages.isEmpty() ? QString() : dialogs.Messages[0].Text));
  auto* view = program.Find<QTableView>(QStringLiteral("StringGrid1_2"));
  QCOMPARE(view->model()->index(kSlot, 1).data().toString(), QString::number(kType));
  QCOMPARE(view->model()->index(kSlot, 3).data().toString(),
           QString::number(copy.WeaponMaxDurability(kType)));

  program.Save();
  QVERIFY(dialogs.Messages.isEmpty());
  const QByteArray bytes = korvath::test::ReadFile(save);
  const int start = kSlot * kUnitRecordBits;
  const auto field = [&](int offset, int width) {
    const int bit = start + offset;
    return korvath::test::BitsOf(bytes, kOwnUnitsByte + bit / 8, bit % 8, width);
  };
  QCOMPARE(field(0, 9), std::uint32_t(kType));
  QCOMPARE(field(155, 10), std::uint32_t(copy.WeaponMaxDurability(kType)));
}

void TestUnitEdit::typedEntryTextIsNeverAChoice() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  const QString save = workspace.DemoSave(QStringLiteral("a.bin"));
  program.OpenThroughMenu(dialogs, save);
  korvath::WorkingCopy& copy = program.Copy();
  const QByteArray before = korvath::test::ReadFile(save);
  constexpr int kSlot = 3;
  copy.SetCurrentCell(GridId::StringGrid1_2, kSlot + 1, 1);
  QVERIFY(OpenEditor(program));
  const std::string type = copy.Grid(GridId::StringGrid1_2).Cell(kSlot + 1, 1);

  auto* edit3 = Control<QLineEdit>(program, "Edit3");
  QTest::mouseDClick(edit3, Qt::LeftButton);
  QTest::keyClicks(edit3, QStringLiteral("400"), Qt::NoModifier, 30);
  QCOMPARE(edit3->text(), QStringLiteral("400"));

  // The exact text of another entry, then Enter, then a click elsewhere: all typing.
  constexpr int kOtherType = 3;
  auto* combo1 = Control<QComboBox>(program, "ComboBox1");
  TypeOverAndEnter(combo1, Text(copy.Labels().unit.Entry(kOtherType)));
  QTest::mouseClick(Control<QLineEdit>(program, "Edit5"), Qt::LeftButton);
  QCOMPARE(combo1->currentIndex(), -1);
  QCOMPARE(combo1->currentText(), Text(copy.Labels().unit.Entry(kOtherType)));
  QCOMPARE(edit3->text(), QStringLiteral("400"));

  // The pilot list likewise: typed text shows no pilot's details.
  const int pilot = 7;
  auto* combo3 = Control<QComboBox>(program, "ComboBox3");
  TypeOverAndEnter(combo3, Text(copy.Labels().pilot.Entry(pilot)));
  QCOMPARE(combo3->currentIndex(), -1);
  QCOMPARE(Control<QLineEdit>(program, "Edit9")->text(), QString());

  // Committing typed text fails the check, so neither the table nor the file changes.
  QTest::mouseClick(Control<QPushButton>(program, "Button8"), Qt::LeftButton);
  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Text,
           QStringLiteral("兵器名が異常です\nリストから選択してください"));
  QCOMPARE(copy.Grid(GridId::StringGrid1_2).Cell(kSlot + 1, 1), type);
  program.Save();
  QCOMPARE(korvath::test::ReadFile(save), before);
}

void TestUnitEdit::wheelNeverChangesAList() {
  Workspace workspace;
  RecordingDialogs dialogs;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  program.Copy().SetCurrentCell(GridId::StringGrid1_2, 4, 1);
  QVERIFY(OpenEditor(program));
  auto* combo7 = Control<QComboBox>(program, "ComboBox7");
  auto* tabs = Control<QTabBar>(program, "TabControl1");
  const int area = combo7->currentIndex();
  QVERIFY(area >= 0);
  const auto wheel = [](QWidget* widget) {
    const QPointF at = QRectF(widget->rect()).center();
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
  };

  // Unfocused, the list and the tabs let the wheel pass; focused, the closed list still
  // takes no choice from it.
  Control<QLineEdit>(program, "Edit3")->setFocus();
  wheel(combo7);
  wheel(tabs);
  QCOMPARE(combo7->currentIndex(), area);
  QCOMPARE(tabs->currentIndex(), 0);
  combo7->setFocus();
  QVERIFY(QTest::qWaitFor([combo7] { return combo7->hasFocus(); }));
  wheel(combo7);
  QTest::keyClick(combo7, Qt::Key_Down);
  QCOMPARE(combo7->currentIndex(), area);

  // The open list is where choices are made.
  ChooseInOpenList(combo7, area + 1);
  QCOMPARE(combo7->currentIndex(), area + 1);
}

QTEST_MAIN(TestUnitEdit)
#include "tst_unitedit.moc"
