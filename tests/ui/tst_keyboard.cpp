// The program by keyboard alone, on the smallest screen it must fit: 1024 x 600 at scale 1.5.
// Every key goes where a real key goes, to the focus widget or the open popup; windows change
// only as the window manager would change them (Alt+Tab).

// Qt
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDebug>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

// Std
#include <functional>
#include <set>
#include <vector>

// Korvath
#include "core/grid_layout.h"
#include "core/page_layout.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/hexdump/hex_dump_form.h"
#include "ui/main/grid_view.h"
#include "ui/unitedit/unit_edit_form.h"

using korvath::GridId;
using korvath::WorkingCopy;
using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;
using korvath::ui::GridView;

namespace {

// Counts what a mouse would send; the walk must need none of it.
class MouseWatch : public QObject {
 public:
  MouseWatch() { qApp->installEventFilter(this); }
  ~MouseWatch() override { qApp->removeEventFilter(this); }
  int Events = 0;

 protected:
  bool eventFilter(QObject* /*watched*/, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::ContextMenu:
        ++Events;
        break;
      default:
        break;
    }
    return false;
  }
};

QByteArray Bytes(const WorkingCopy& copy) {
  const auto bytes = copy.Image().Contents();
  return {reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size())};
}

QString Name(const QWidget* widget) {
  return widget ? QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(' ') +
                      widget->objectName()
                : QStringLiteral("nothing");
}

// Whether the whole frame of a window lies on the available part of its screen.
bool OnScreen(const QWidget* window) {
  const bool inside = window->screen()->availableGeometry().contains(window->frameGeometry());
  if (!inside) {
    qWarning() << window->objectName() << window->frameGeometry() << "not inside"
               << window->screen()->availableGeometry();
  }
  return inside;
}

// The table a focus widget belongs to: the table itself or its open cell editor.
GridView* TableOf(QWidget* focus) {
  for (QWidget* w = focus; w; w = w->parentWidget()) {
    if (auto* view = qobject_cast<GridView*>(w)) return view;
    if (w->isWindow()) break;
  }
  return nullptr;
}

class Walk {
 public:
  Walk() : direct_(program_.Copy().LabelDir()) {
    path_ = workspace_.DemoSave(QStringLiteral("a.bin"));
    const QByteArray other = ReadFile(path_);
    QByteArray changed = other;
    for (int i = 1700; i < 1800; i += 9) changed[i] = char(changed[i] ^ 0x21);
    otherPath_ = workspace_.WriteFile(QStringLiteral("b.bin"), changed);
    pages_ = program_.Find<QTabWidget>(QStringLiteral("PageControl1"));
  }

  WorkingCopy& Copy() { return program_.Copy(); }
  TMainForm& Main() { return program_.Main(); }
  QTabWidget* Pages() { return pages_; }
  RecordingDialogs& Dialogs() { return dialogs_; }
  const QString& Path() const { return path_; }
  const QString& OtherPath() const { return otherPath_; }
  template <typename T>
  T* Find(const QString& name) const {
    return program_.Find<T>(name);
  }
  QAction* Action(const char* name) const { return program_.Action(name); }

  static QWidget* Focus() { return QApplication::focusWidget(); }

  // One key, to whatever a real key would reach.
  static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = Focus();
    QWidget* popup = QApplication::activePopupWidget();
    if (popup && !(target && (popup == target || popup->isAncestorOf(target)))) target = popup;
    if (!target) target = QApplication::activeWindow();
    QVERIFY2(target, "no window has the keyboard");
    QTest::keyClick(target, key, modifiers);
    QCoreApplication::processEvents();
  }

  static void Type(const QString& text) {
    for (const QChar c : text) {
      QWidget* target = Focus();
      QVERIFY(target);
      QTest::keyClick(target, c.toLatin1());
    }
  }

  // Tab until `arrived` holds for the focus widget; false after `limit` presses.
  static bool TabTo(const std::function<bool(QWidget*)>& arrived, int limit = 80) {
    for (int i = 0; i < limit; ++i) {
      Press(Qt::Key_Tab);
      QWidget* focus = Focus();
      if (!focus) return false;
      // Focus never works out of sight, however small the window.
      if (focus->visibleRegion().isEmpty()) {
        qWarning("%s has the focus but cannot be seen", qPrintable(Name(focus)));
        return false;
      }
      if (arrived(focus)) return true;
    }
    return false;
  }

  // What the keys should have done, done directly on a second copy of the file.
  void Expect(std::function<void(WorkingCopy&)> act) { acts_.push_back(std::move(act)); }

  // Every cell that differs from `before` is set as it is now.
  void ExpectCellsAsIn(const std::vector<korvath::CellGrid>& before) {
    for (const GridId grid : korvath::kAllGrids) {
      const korvath::CellGrid& now = Copy().Grid(grid);
      const korvath::CellGrid& old = before[std::size_t(grid)];
      for (int row = 0; row < now.RowCount(); ++row) {
        for (int column = 0; column < now.ColumnCount(); ++column) {
          if (now.Cell(row, column) == old.Cell(row, column)) continue;
          Expect([grid, row, column, text = now.Cell(row, column)](WorkingCopy& c) {
            c.SetCell(grid, row, column, text);
          });
        }
      }
    }
  }

  QByteArray Expected() {
    const QByteArray original = ReadFile(path_ + QStringLiteral(".orig"));
    direct_.Open(
        {reinterpret_cast<const std::uint8_t*>(original.constData()), std::size_t(original.size())},
        path_.toStdString());
    for (const auto& act : acts_) act(direct_);
    direct_.StorePass();
    return Bytes(direct_);
  }

  void KeepOriginal() const {
    QFile::remove(path_ + QStringLiteral(".orig"));
    QFile::copy(path_, path_ + QStringLiteral(".orig"));
  }

 private:
  RecordingDialogs dialogs_;
  Workspace workspace_;
  Program program_{workspace_};
  WorkingCopy direct_;
  QString path_;
  QString otherPath_;
  QTabWidget* pages_ = nullptr;
  std::vector<std::function<void(WorkingCopy&)>> acts_;
};

}  // namespace

class KeyboardTest : public QObject {
  Q_OBJECT

 private slots:
  void everyPageControlTableAndWindowByKeysAlone();
};

void KeyboardTest::everyPageControlTableAndWindowByKeysAlone() {
  MouseWatch mouse;
  Walk walk;
  TMainForm& main = walk.Main();
  WorkingCopy& copy = walk.Copy();
  QTabWidget* pages = walk.Pages();

  // Start-up: the page tabs have the focus, and it is marked.
  QVERIFY(korvath::test::WaitActive(&main));
  QVERIFY2(qobject_cast<QTabBar*>(Walk::Focus()), qPrintable(Name(Walk::Focus())));
  QVERIFY(main.testAttribute(Qt::WA_KeyboardFocusChange));
  QVERIFY2(OnScreen(&main), "main window larger than the screen");

  walk.KeepOriginal();
  walk.Dialogs().Answers.append(walk.Path());
  Walk::Press(Qt::Key_O, Qt::ControlModifier);
  QVERIFY(copy.Image().Loaded);

  // The pages turn from the tabs, both ways and round.
  for (int page = 1; page <= 7; ++page) {
    Walk::Press(Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(pages->currentIndex(), page % 7);
  }
  Walk::Press(Qt::Key_PageUp, Qt::ControlModifier);
  QCOMPARE(pages->currentIndex(), 6);
  Walk::Press(Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
  QCOMPARE(pages->currentIndex(), 5);
  Walk::Press(Qt::Key_PageDown, Qt::ControlModifier);
  Walk::Press(Qt::Key_PageDown, Qt::ControlModifier);
  QCOMPARE(pages->currentIndex(), 0);

  // A drop-down list: its popup opens, the next entry is chosen.
  QVERIFY(Walk::TabTo([](QWidget* w) { return w->objectName() == "ComboBox1_1"; }));
  const int faction = copy.Control("ComboBox1_1").ItemIndex;
  Walk::Press(Qt::Key_F4);
  QVERIFY(QApplication::activePopupWidget());
  Walk::Press(Qt::Key_Down);
  Walk::Press(Qt::Key_Return);
  QCOMPARE(copy.Control("ComboBox1_1").ItemIndex, faction + 1);
  walk.Expect([faction](WorkingCopy& c) { c.SetItemIndex("ComboBox1_1", faction + 1); });

  // An edit box: Tab selects its text, typing replaces it.
  QVERIFY(Walk::TabTo([](QWidget* w) { return w->objectName() == "Edit1_1"; }));
  Walk::Type("4660");
  QCOMPARE(copy.Control("Edit1_1").Text, std::string("4660"));
  walk.Expect([](WorkingCopy& c) { c.SetEditText("Edit1_1", "4660"); });

  // A check box.
  QVERIFY(Walk::TabTo([](QWidget* w) { return qobject_cast<QCheckBox*>(w) != nullptr; }));
  const std::string box = Walk::Focus()->objectName().toStdString();
  const bool checked = copy.Control(box).Checked;
  Walk::Press(Qt::Key_Space);
  QCOMPARE(copy.Control(box).Checked, !checked);
  walk.Expect([box, checked](WorkingCopy& c) { c.SetChecked(box, !checked); });

  // Every table of every page: reached by Tab, a cell typed where the cell takes typing, the
  // cursor moved by the arrows and to the last cell, and left again by Tab.
  std::set<GridId> visited;
  for (int page = 0; page < 7; ++page) {
    QCOMPARE(pages->currentIndex(), page);
    std::set<GridView*> onPage;
    for (GridView* view : main.findChildren<GridView*>()) {
      if (pages->widget(page)->isAncestorOf(view)) onPage.insert(view);
    }
    std::set<GridView*> done;
    while (done.size() < onPage.size()) {
      QVERIFY2(Walk::TabTo([&](QWidget* w) {
                 auto* view = qobject_cast<GridView*>(w);
                 return view && !done.contains(view);
               }),
               qPrintable(QStringLiteral("a table of page %1 cannot be reached").arg(page)));
      auto* view = qobject_cast<GridView*>(Walk::Focus());
      done.insert(view);
      visited.insert(view->Grid());
      const QModelIndex start = view->currentIndex();
      Walk::Press(Qt::Key_Down);
      Walk::Press(Qt::Key_End);
      Walk::Press(Qt::Key_Home);
      Walk::Press(Qt::Key_PageDown);
      Walk::Press(Qt::Key_Up);
      QVERIFY(view->currentIndex().row() > start.row());
      // Over to the first cell that takes typing.
      for (int i = 0; i < 25 && !(view->currentIndex().flags() & Qt::ItemIsEditable); ++i) {
        Walk::Press(Qt::Key_Right);
      }
      const QModelIndex cell = view->currentIndex();
      if (cell.flags() & Qt::ItemIsEditable) {
        const QString text = QString::number(1 + cell.row() % 7);
        Walk::Type(text);
        Walk::Press(Qt::Key_Return);
        QCOMPARE(view->model()->data(cell).toString(), text);
        walk.Expect([grid = view->Grid(), row = cell.row() + 1, column = cell.column(),
                     text](WorkingCopy& c) { c.SetCell(grid, row, column, text.toStdString()); });
      }
      QCOMPARE(TableOf(Walk::Focus()), view);
      // Tab leaves at the last cell; Shift+Tab comes back in and leaves at the first.
      Walk::Press(Qt::Key_End, Qt::ControlModifier);
      Walk::Press(Qt::Key_Tab);
      QVERIFY2(TableOf(Walk::Focus()) != view, qPrintable(Name(Walk::Focus())));
      Walk::Press(Qt::Key_Backtab, Qt::ShiftModifier);
      QCOMPARE(TableOf(Walk::Focus()), view);
      Walk::Press(Qt::Key_Home, Qt::ControlModifier);
      Walk::Press(Qt::Key_Backtab, Qt::ShiftModifier);
      QVERIFY2(TableOf(Walk::Focus()) != view, qPrintable(Name(Walk::Focus())));
      Walk::Press(Qt::Key_Tab);
      QCOMPARE(TableOf(Walk::Focus()), view);
      Walk::Press(Qt::Key_End, Qt::ControlModifier);
    }
    if (page == korvath::kPageSpecial) {
      // The check list: Space ticks the line the arrows reached.
      QVERIFY(Walk::TabTo([](QWidget* w) { return w->objectName() == "CheckListBox6_1"; }));
      auto* list = qobject_cast<QListView*>(Walk::Focus());
      int line = list->currentIndex().row();
      while (copy.CheckList()[std::size_t(std::max(line, 0))].Header) {
        Walk::Press(Qt::Key_Down);
        line = list->currentIndex().row();
      }
      const bool was = copy.CheckList()[std::size_t(line)].Checked;
      Walk::Press(Qt::Key_Space);
      QCOMPARE(copy.CheckList()[std::size_t(line)].Checked, !was);
      walk.Expect([line, was](WorkingCopy& c) { c.SetCheckListChecked(line, !was); });
    }
    // The page turns from anywhere, a table's cells included.
    Walk::Press(Qt::Key_PageDown, Qt::ControlModifier);
  }
  QCOMPARE(visited.size(), korvath::kAllGrids.size());
  QCOMPARE(pages->currentIndex(), 0);

  // A comparison, whose status line must stay in view.
  walk.Dialogs().Answers.append(walk.OtherPath());
  Walk::Press(Qt::Key_F, Qt::AltModifier);
  Walk::Press(Qt::Key_C);
  QVERIFY(main.statusBar()->isVisible());
  QVERIFY(OnScreen(&main));
  auto* status = main.findChild<QLabel*>(QStringLiteral("ComparisonStatus"));
  QVERIFY(status && !status->visibleRegion().isEmpty());

  // The unit editor from the menu; its 変更 by keys; the main window's keys work in it.
  Walk::Press(Qt::Key_V, Qt::AltModifier);
  Walk::Press(Qt::Key_U);
  auto* editor = walk.Find<TUnitEditForm>(QStringLiteral("UnitEditForm"));
  QVERIFY(korvath::test::WaitActive(editor));
  QVERIFY2(OnScreen(editor), "unit editor larger than the screen");
  QVERIFY(Walk::TabTo([](QWidget* w) { return w->objectName() == "Edit1"; }));
  Walk::Type("5");
  Walk::Press(Qt::Key_Up);  // the spin control's step
  const int unit = 6;
  QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("Edit1"))->text(), QString::number(unit));
  QVERIFY(Walk::TabTo([](QWidget* w) { return w->objectName() == "Edit3"; }));
  const std::string durability = copy.Grid(GridId::StringGrid1_2).Cell(unit + 1, 3);
  Walk::Type("321");
  QVERIFY(Walk::TabTo([](QWidget* w) { return w->objectName() == "Button8"; }));
  std::vector<korvath::CellGrid> uncommitted;
  for (const GridId grid : korvath::kAllGrids) uncommitted.push_back(copy.Grid(grid));
  Walk::Press(Qt::Key_Space);
  QVERIFY2(walk.Dialogs().Messages.isEmpty(), qPrintable(walk.Dialogs().Messages.value(0).Text));
  QCOMPARE(copy.Grid(GridId::StringGrid1_2).Cell(unit + 1, 3), std::string("321"));
  walk.ExpectCellsAsIn(uncommitted);  // the commit's other cells (the pilot's, say)

  const QByteArray beforeSave = ReadFile(walk.Path());
  Walk::Press(Qt::Key_S, Qt::ControlModifier);
  QVERIFY(ReadFile(walk.Path()) != beforeSave);
  QVERIFY(copy.IsAtSavePoint());
  Walk::Press(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(copy.Grid(GridId::StringGrid1_2).Cell(unit + 1, 3), durability);
  QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("Edit3"))->text(),
           QString::fromStdString(durability));
  Walk::Press(Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(copy.Grid(GridId::StringGrid1_2).Cell(unit + 1, 3), std::string("321"));
  const QString before = status->text();
  Walk::Press(Qt::Key_F3);
  QVERIFY(status->text() != before);

  // Back in the main window (Alt+Tab), the hex dump from the menu, checked while it is open.
  main.activateWindow();
  QVERIFY(korvath::test::WaitActive(&main));
  Walk::Press(Qt::Key_V, Qt::AltModifier);
  Walk::Press(Qt::Key_H);
  auto* dump = walk.Find<THexDumpForm>(QStringLiteral("HexDumpForm"));
  QVERIFY(dump->isVisible());
  QVERIFY(walk.Action("ViewDumpManu")->isChecked());
  QVERIFY2(OnScreen(dump), "hex dump larger than the screen");
  dump->activateWindow();
  QVERIFY(korvath::test::WaitActive(dump));
  Walk::Press(Qt::Key_Z, Qt::ControlModifier);
  QCOMPARE(copy.Grid(GridId::StringGrid1_2).Cell(unit + 1, 3), durability);
  Walk::Press(Qt::Key_Y, Qt::ControlModifier);
  QCOMPARE(copy.Grid(GridId::StringGrid1_2).Cell(unit + 1, 3), std::string("321"));
  main.activateWindow();
  QVERIFY(korvath::test::WaitActive(&main));
  Walk::Press(Qt::Key_V, Qt::AltModifier);
  Walk::Press(Qt::Key_H);
  QVERIFY(!dump->isVisible());
  QVERIFY(!walk.Action("ViewDumpManu")->isChecked());

  // 保存, and every byte as the acts give it.
  Walk::Press(Qt::Key_S, Qt::ControlModifier);
  QVERIFY2(walk.Dialogs().Messages.isEmpty(), qPrintable(walk.Dialogs().Messages.value(0).Text));
  QCOMPARE(ReadFile(walk.Path()), walk.Expected());
  QCOMPARE(mouse.Events, 0);
}

// The smallest screen the windows must fit, and the scale that makes it smaller still.
int main(int argc, char* argv[]) {
  QTemporaryDir dir;
  QFile config(dir.filePath(QStringLiteral("screen.json")));
  if (!config.open(QIODevice::WriteOnly) ||
      config.write(R"({"screens": [{"name": "small", "x": 0, "y": 0, "width": 1024,
                       "height": 600, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})") < 0) {
    return 1;
  }
  config.close();
  qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(config.fileName()));
  qputenv("QT_SCALE_FACTOR", "1.5");
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvath"));
  KeyboardTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "tst_keyboard.moc"
