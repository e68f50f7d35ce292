// Comparing the open save with another: marks, stepping through them, following edits, ending.

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <filesystem>

#include "core/field_maps.h"
#include "core/save_image.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/main/application_windows.h"
#include "ui/main/comparison.h"

using korvath::test::BitsOf;
using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;

namespace {

struct Field {
  int Byte;
  int Bit;
  int Width;
};

Field ControlField(const char* control) {
  const korvath::TField& f = korvath::FindMainField(control)->Field;
  return {f.ByteOffset, f.BitOffset, f.BitWidth};
}

Field RecordField(const char* grid, int record, int offset, int width) {
  const korvath::TField& f = korvath::FindMainField(grid)->Field;
  const qint64 bit = 8LL * f.ByteOffset + f.BitOffset + qint64(record) * f.BitWidth + offset;
  return {int(bit / 8), int(bit % 8), width};
}

const Field kMoney = ControlField("Edit1_1");
const Field kDurability = RecordField("StringGrid1_2", 4, 155, 10);  // row 5, column 3
const Field kMerit = RecordField("StringGrid4_1", 2, 21, 7);         // row 3, column 10
const Field kSpecialPlan1 = {1414, 0, 1};                            // check-list line 1

// The save with the field's lowest bit flipped, so its value differs whatever it was.
QByteArray Flipped(const QByteArray& save, const Field& f) {
  korvath::SaveImage image;
  image.Commit({reinterpret_cast<const std::uint8_t*>(save.constData()), std::size_t(save.size())},
               "");
  korvath::WriteBits(image, f.Byte, f.Bit, f.Width,
                     int32_t(korvath::ReadBits(image, f.Byte, f.Bit, f.Width) ^ 1));
  return QByteArray(reinterpret_cast<const char*>(image.Bytes.data()), save.size());
}

QString ValueIn(const QByteArray& save, const Field& f) {
  return QString::number(BitsOf(save, f.Byte, f.Bit, f.Width));
}

bool IsMarked(const QModelIndex& index) {
  return index.data(Qt::BackgroundRole).value<QBrush>() == korvath::ui::Comparison::MarkBrush();
}

bool IsMarked(const QWidget* control) {
  return control->palette().color(QPalette::Base) == korvath::ui::Comparison::MarkBrush().color();
}

// A demo save open, compared with a copy that differs in four values on three pages.
class Compared {
 public:
  Compared() : program_(workspace_) {
    const QString a = workspace_.DemoSave(QStringLiteral("a.bin"));
    other_ = ReadFile(a);
    for (const Field& f : {kMoney, kDurability, kMerit, kSpecialPlan1}) other_ = Flipped(other_, f);
    otherPath_ = workspace_.WriteFile(QStringLiteral("b.bin"), other_);
    program_.OpenThroughMenu(dialogs_, a);
    Start();
  }

  void Start() {
    dialogs_.Answers.append(otherPath_);
    program_.Action("FileCompareMenu")->trigger();
  }
  QAbstractItemModel* Units() const {
    return program_.Find<QTableView>(QStringLiteral("StringGrid1_2"))->model();
  }
  QAbstractItemModel* Pilots() const {
    return program_.Find<QTableView>(QStringLiteral("StringGrid4_1"))->model();
  }
  QListView* CheckList() const {
    return program_.Find<QListView>(QStringLiteral("CheckListBox6_1"));
  }
  QLineEdit* Money() const { return program_.Find<QLineEdit>(QStringLiteral("Edit1_1")); }
  QString Status() const {
    auto* label = program_.Find<QLabel>(QStringLiteral("ComparisonStatus"));
    return label && program_.Main().statusBar()->isVisible() ? label->text() : QString();
  }
  int Page() const {
    return program_.Find<QTabWidget>(QStringLiteral("PageControl1"))->currentIndex();
  }
  void Step(Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&program_.Main(), Qt::Key_F3, modifiers);
  }

  RecordingDialogs dialogs_;
  Workspace workspace_;
  Program program_;
  QByteArray other_;
  QString otherPath_;
};

}  // namespace

class CompareTest : public QObject {
  Q_OBJECT

 private slots:
  void marksShowWhereTheSavesDiffer();
  void stepsThroughDifferencesAcrossPages();
  void marksFollowEdits();
  void endingOrOpeningAnotherFileRemovesMarks();
  void compareNeedsAnOpenFileAndReportsUnreadableSaves();
  void anotherLengthIsStatedFirst();
  void marksLeaveAnOpenCellEditorAlone();
  void aPageBuiltLaterShowsValuesAndMarks();
};

void CompareTest::marksShowWhereTheSavesDiffer() {
  Compared c;
  QVERIFY(c.dialogs_.Messages.isEmpty());
  QCOMPARE(c.Status(), QStringLiteral("比較先 b.bin: 相違 4 件"));

  QVERIFY(IsMarked(c.Money()));
  QCOMPARE(c.Money()->toolTip(),
           QStringLiteral("MAX 9,999,999\n比較先 (b.bin): ") + ValueIn(c.other_, kMoney));
  QVERIFY(!IsMarked(c.program_.Find<QLineEdit>(QStringLiteral("Edit1_2"))));

  const QModelIndex durability = c.Units()->index(4, 3);
  QVERIFY(IsMarked(durability));
  QCOMPARE(durability.data(Qt::ToolTipRole).toString(),
           QStringLiteral("比較先 (b.bin): ") + ValueIn(c.other_, kDurability));
  QVERIFY(!IsMarked(c.Units()->index(4, 4)));
  QVERIFY(!IsMarked(c.Units()->index(3, 3)));
  QVERIFY(IsMarked(c.Pilots()->index(2, 10)));

  const QModelIndex line = c.CheckList()->model()->index(1, 0);
  QVERIFY(IsMarked(line));
  QVERIFY(line.data(Qt::ToolTipRole).toString().startsWith(QStringLiteral("比較先 (b.bin): オ")));
  QVERIFY(!IsMarked(c.CheckList()->model()->index(2, 0)));

  // Reading the other save changed nothing of either.
  QCOMPARE(ReadFile(c.otherPath_), c.other_);
  QCOMPARE(c.Money()->text(),
           ValueIn(ReadFile(c.workspace_.Path(QStringLiteral("a.bin"))), kMoney));
}

void CompareTest::stepsThroughDifferencesAcrossPages() {
  Compared c;
  c.Step();
  QCOMPARE(c.Page(), 0);
  QCOMPARE(QApplication::focusWidget(), c.Money());

  c.Step();
  auto* units = c.program_.Find<QTableView>(QStringLiteral("StringGrid1_2"));
  QCOMPARE(units->currentIndex(), units->model()->index(4, 3));
  QCOMPARE(QApplication::focusWidget(), units);
  QVERIFY(c.Status().endsWith(QStringLiteral("2 件目: 自軍 / 部隊データ / No 4 / 耐久")));

  c.Step();
  QCOMPARE(c.Page(), 3);
  auto* pilots = c.program_.Find<QTableView>(QStringLiteral("StringGrid4_1"));
  QCOMPARE(pilots->currentIndex(), pilots->model()->index(2, 10));

  c.Step();
  QCOMPARE(c.Page(), 5);
  QCOMPARE(c.CheckList()->currentIndex().row(), 1);
  QCOMPARE(QApplication::focusWidget(), c.CheckList());

  c.Step();  // round to the first again
  QCOMPARE(c.Page(), 0);
  QCOMPARE(QApplication::focusWidget(), c.Money());

  c.Step(Qt::ShiftModifier);
  QCOMPARE(c.Page(), 5);
  c.Step(Qt::ShiftModifier);
  QCOMPARE(c.Page(), 3);
  QCOMPARE(QApplication::focusWidget(), pilots);
}

void CompareTest::marksFollowEdits() {
  Compared c;
  c.Money()->setFocus();
  c.Money()->selectAll();
  QTest::keyClicks(c.Money(), ValueIn(c.other_, kMoney));
  QTRY_VERIFY(!IsMarked(c.Money()));
  QCOMPARE(c.Money()->toolTip(), QStringLiteral("MAX 9,999,999"));

  QVERIFY(c.Units()->setData(c.Units()->index(4, 3), ValueIn(c.other_, kDurability)));
  auto* lines = c.CheckList()->model();
  const QModelIndex line = lines->index(1, 0);
  const bool checked = line.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked;
  QVERIFY(lines->setData(line, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole));
  QTRY_VERIFY(!IsMarked(c.Units()->index(4, 3)));
  QVERIFY(!IsMarked(line));
  QCOMPARE(c.Status(), QStringLiteral("比較先 b.bin: 相違 1 件"));

  // A value the two saves shared is marked once it no longer matches.
  QVERIFY(c.Units()->setData(c.Units()->index(3, 3), QStringLiteral("999")));
  QTRY_VERIFY(IsMarked(c.Units()->index(3, 3)));
  QCOMPARE(c.Status(), QStringLiteral("比較先 b.bin: 相違 2 件"));

  // Undo and redo change the working copy like any edit.
  c.program_.Action("EditUndoMenu")->trigger();
  QTRY_VERIFY(!IsMarked(c.Units()->index(3, 3)));
  c.program_.Action("EditRedoMenu")->trigger();
  QTRY_VERIFY(IsMarked(c.Units()->index(3, 3)));
  for (int step = 0; step < 4; ++step) c.program_.Action("EditUndoMenu")->trigger();
  QTRY_VERIFY(IsMarked(c.Money()));
  QVERIFY(IsMarked(line));
  QCOMPARE(c.Status(), QStringLiteral("比較先 b.bin: 相違 4 件"));
}

void CompareTest::endingOrOpeningAnotherFileRemovesMarks() {
  Compared c;
  QAction* end = c.program_.Action("FileCompareEndMenu");
  QVERIFY(end->isEnabled());
  end->trigger();
  QVERIFY(!IsMarked(c.Money()));
  QCOMPARE(c.Money()->toolTip(), QStringLiteral("MAX 9,999,999"));
  QVERIFY(!IsMarked(c.Units()->index(4, 3)));
  QVERIFY(!IsMarked(c.CheckList()->model()->index(1, 0)));
  QVERIFY(!c.program_.Main().statusBar()->isVisible());
  QVERIFY(!end->isEnabled());
  QVERIFY(!c.program_.Action("FileNextDiffMenu")->isEnabled());
  c.Step();  // nothing to step to
  QCOMPARE(c.Page(), 0);

  c.Start();
  QVERIFY(IsMarked(c.Money()));
  c.program_.OpenThroughMenu(c.dialogs_, c.otherPath_);
  QVERIFY(!IsMarked(c.Money()));
  QVERIFY(!IsMarked(c.Units()->index(4, 3)));
  QCOMPARE(c.Status(), QString());
  QVERIFY(!end->isEnabled());
}

void CompareTest::compareNeedsAnOpenFileAndReportsUnreadableSaves() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  QAction* compare = program.Action("FileCompareMenu");
  QCOMPARE(compare->text(), QStringLiteral("比較(&C)..."));
  QVERIFY(!compare->isEnabled());
  QCOMPARE(program.Action("FileNextDiffMenu")->shortcut(), QKeySequence(Qt::Key_F3));
  QCOMPARE(program.Action("FilePrevDiffMenu")->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F3));

  program.OpenThroughMenu(dialogs, workspace.DemoSave(QStringLiteral("a.bin")));
  QVERIFY(compare->isEnabled());
  const QString tooLarge = workspace.WriteFile(QStringLiteral("large.bin"),
                                               QByteArray(korvath::SaveImage::Capacity + 1, '\0'));
  for (const QString& path : {workspace.Path(QStringLiteral("missing.bin")), tooLarge}) {
    dialogs.Messages.clear();
    dialogs.Answers.append(path);
    compare->trigger();
    QCOMPARE(dialogs.Messages.size(), 1);
    QCOMPARE(dialogs.Messages[0].Text, QStringLiteral("ファイル読込エラー\n") + path);
    QVERIFY(!program.Action("FileCompareEndMenu")->isEnabled());
    QVERIFY(program.Main().findChild<QStatusBar*>() == nullptr ||
            !program.Main().statusBar()->isVisible());
  }
}

void CompareTest::anotherLengthIsStatedFirst() {
  Compared c;
  c.otherPath_ = c.workspace_.WriteFile(QStringLiteral("c.bin"), c.other_.left(9000));
  // The labels read at start-up serve, whatever became of their files since.
  QVERIFY(QFile::remove(c.workspace_.Path(QStringLiteral("area.txt"))));
  c.Start();
  QVERIFY(c.Status().startsWith(
      QStringLiteral("比較先 c.bin: ファイルの長さ 18368 バイト → 9000 バイト、相違 ")));
}

// Each keystroke changes the differences; the editor must keep every key and its Escape value.
void CompareTest::marksLeaveAnOpenCellEditorAlone() {
  Compared c;
  c.program_.Find<QTabWidget>(QStringLiteral("PageControl1"))->setCurrentIndex(0);
  auto* view = c.program_.Find<QTableView>(QStringLiteral("StringGrid1_2"));
  const QModelIndex cell = view->model()->index(4, 3);
  const QString before = cell.data().toString();
  QVERIFY(QTest::qWaitForWindowExposed(view));
  view->setFocus();
  view->setCurrentIndex(cell);
  for (const char key : {'1', '2', '3'}) {
    QTest::keyClick(QApplication::focusWidget(), key);
    QTest::qWait(5);  // the differences are computed anew
  }
  QCOMPARE(cell.data().toString(), QStringLiteral("123"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  QCOMPARE(cell.data().toString(), before);
}

QTEST_MAIN(CompareTest)
// A page is built when first shown: what it shows then is what it would have shown from the start.
void CompareTest::aPageBuiltLaterShowsValuesAndMarks() {
  RecordingDialogs dialogs;
  Workspace workspace;
  const Field money = ControlField("Edit2_1");
  const QString a = workspace.DemoSave(QStringLiteral("a.bin"));
  dialogs.Answers.append(workspace.WriteFile(QStringLiteral("b.bin"), Flipped(ReadFile(a), money)));
  korvath::WorkingCopy copy(
      std::filesystem::path(QFile::encodeName(workspace.Path({})).toStdString()));
  // Never shown, so no page but the first is built until one is asked for.
  const auto main = korvath::ui::CreateApplicationWindows(copy);
  main->OpenFile(a);
  main->findChild<QAction*>(QStringLiteral("FileCompareMenu"))->trigger();
  QVERIFY(!main->findChild<QLineEdit*>(QStringLiteral("Edit2_1")));
  main->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
  const auto* edit = main->findChild<QLineEdit*>(QStringLiteral("Edit2_1"));
  QVERIFY(edit);
  QCOMPARE(edit->text(), ValueIn(ReadFile(a), money));
  QVERIFY(IsMarked(edit));
}

#include "tst_compare.moc"
