// Seeded random sequences of a user's acts, played on the windows as real events and applied to a
// second working copy directly as what they mean; undo there is "back to before the act". Save
// must write what the direct acts give. KORVATH_RANDOM_ACTS sets the number of sequences,
// KORVATH_RANDOM_SEED the first seed, KORVATH_RANDOM_PAUSE the longest pause between two events
// in milliseconds (e.g. 150 for a typist's pace), KORVATH_RANDOM_STALL the longest time the test
// now and then sleeps without handling events, as on a loaded machine (the acts stay the same).

// Qt
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QThread>

// Std
#include <array>
#include <memory>
#include <optional>
#include <utility>

// Korvath
#include "core/field_maps.h"
#include "core/grid_layout.h"
#include "core/unit_editor.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/unitedit/unit_edit_form.h"

using korvath::GridId;
using korvath::WorkingCopy;
using korvath::test::OpenPopup;
using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;

namespace {

int EnvInt(const char* name, int fallback) {
  bool ok = false;
  const int value = qEnvironmentVariableIntValue(name, &ok);
  return ok ? value : fallback;
}

QByteArray Bytes(const WorkingCopy& copy) {
  const auto c = copy.Image().Contents();
  return {reinterpret_cast<const char*>(c.data()), qsizetype(c.size())};
}

// A cell the user types numbers into, or the control of an edit box; Page is where it sits.
struct Place {
  int Page = 0;
  GridId Grid = GridId::StringGrid1_2;
  int Row = 0;
  int Column = 0;
  QString Control;  // empty for a cell
  bool operator==(const Place&) const = default;
};

class Player {
 public:
  Player() {
    path_ = workspace_.DemoSave(QStringLiteral("a.bin"));
    original_ = ReadFile(path_);
    // The comparison's other save differs in a few values of every page.
    QByteArray other = original_;
    for (int i = 1600; i < 1700; i += 7) other[i] = char(other[i] ^ 0x11);
    for (int i = 14801; i < 17000; i += 53) other[i] = char(other[i] ^ 0x05);
    otherPath_ = workspace_.WriteFile(QStringLiteral("b.bin"), other);
    direct_ = std::make_unique<WorkingCopy>(program_.Copy().LabelDir());
    pages_ = program_.Find<QTabWidget>(QStringLiteral("PageControl1"));
  }

  // One sequence; the empty text when Save wrote what the direct acts give, else the log.
  QString Play(quint32 seed, int acts) {
    random_.seed(seed);
    stallRandom_.seed(seed);
    log_.clear();
    open_.reset();
    typed_ = false;
    faults_ = 0;
    workspace_.WriteFile(QStringLiteral("a.bin"), original_);
    program_.Main().OpenFile(path_);
    const auto o = original_;
    direct_->Open({reinterpret_cast<const std::uint8_t*>(o.constData()), std::size_t(o.size())},
                  path_.toStdString());
    program_.Main().activateWindow();
    for (int i = 0; i < acts; ++i) {
      PlayOne();
      if (qEnvironmentVariableIsSet("KORVATH_RANDOM_DEBUG"))
        log_ << QStringLiteral("   [%1 | %2] [%3 | %4]")
                    .arg(QString::fromStdString(program_.Copy().UndoDescription()),
                         QString::fromStdString(direct_->UndoDescription()),
                         QString::fromStdString(program_.Copy().RedoDescription()),
                         QString::fromStdString(direct_->RedoDescription()));
    }
    if (!program_.Main().isActiveWindow()) {
      program_.Main().activateWindow();
      korvath::test::WaitActive(&program_.Main());
    }
    log_ << QStringLiteral("Ctrl+S");
    Key(Qt::Key_S, Qt::ControlModifier);
    direct_->StorePass();
    const QByteArray saved = ReadFile(path_);
    if (!dialogs_.Messages.isEmpty()) {
      log_ << QStringLiteral("message: ") + dialogs_.Messages.first().Text;
      dialogs_.Messages.clear();
      return log_.join(QLatin1Char('\n'));
    }
    if (saved == Bytes(*direct_) && faults_ == 0) return {};
    for (const korvath::MainFieldEntry& e : korvath::MainFieldMap()) {
      if (e.Kind != korvath::ControlKind::Edit) continue;
      const auto& a = program_.Copy().Control(e.Control).Text;
      const auto& b = direct_->Control(e.Control).Text;
      if (a != b)
        log_ << QString::fromUtf8(e.Control.data(), e.Control.size()) + ": window " +
                    QString::fromStdString(a) + ", meant " + QString::fromStdString(b);
    }
    for (GridId g : korvath::kAllGrids)
      for (int r = 0; r < 40; ++r)
        for (int c = 0; c < 20; ++c)
          if (program_.Copy().Grid(g).Cell(r, c) != direct_->Grid(g).Cell(r, c))
            log_ << QStringLiteral("cell %1 %2,%3: window %4 meant %5")
                        .arg(int(g))
                        .arg(r)
                        .arg(c)
                        .arg(QString::fromStdString(program_.Copy().Grid(g).Cell(r, c)),
                             QString::fromStdString(direct_->Grid(g).Cell(r, c)));
    for (qsizetype i = 0; i < saved.size(); ++i) {
      if (saved[i] != Bytes(*direct_)[i]) {
        log_ << QStringLiteral("first differing byte %1: saved %2, meant %3")
                    .arg(i)
                    .arg(quint8(saved[i]))
                    .arg(quint8(Bytes(*direct_)[i]));
        break;
      }
    }
    return log_.join(QLatin1Char('\n'));
  }

  int ActsPlayed() const { return played_; }
  int ActsSkipped() const { return skipped_; }

 private:
  int Pick(int n) { return int(random_.bounded(quint32(n))); }

  // Now and then no event is handled for a while, as on a loaded machine. Its own generator
  // keeps the acts of a seed the same.
  void Stall() {
    static const int longest = EnvInt("KORVATH_RANDOM_STALL", 0);
    if (longest > 0 && stallRandom_.bounded(3U) == 0)
      QThread::msleep(stallRandom_.bounded(quint32(longest) + 1));
  }

  void Pause() {
    const int most = EnvInt("KORVATH_RANDOM_PAUSE", 3);
    const int least = most > 20 ? most / 2 : 0;
    Stall();
    QTest::qWait(least + Pick(most - least + 1));
    Stall();
  }

  // Where a key goes. A key sent while no window is active goes nowhere a user's key could go:
  // logged, so that a failure after it tells the offscreen platform's late activation apart.
  QWidget* Focus() {
    if (QApplication::activeWindow() == nullptr) log_ << QStringLiteral("   (no window active)");
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : &program_.Main();
  }

  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(Focus(), key, modifiers);
    Pause();
  }

  // An act the window could not be given as a user gives it is left out on both sides; logged
  // and counted, so that a failure after it and a run that skipped much both show.
  void Skip(const QString& act) {
    log_ << act + QStringLiteral(": skipped");
    ++skipped_;
  }

  // A fault of the window seen on the way, which fails the sequence whatever Save writes.
  void Fault(const QString& text) {
    log_ << QStringLiteral("   FAULT: ") + text;
    ++faults_;
  }

  // The class, and the name of the widget or, for a cell editor, of its table.
  static QString Name(const QWidget* widget) {
    if (!widget) return QStringLiteral("nothing");
    const QWidget* named = widget;
    while (named->parentWidget() &&
           (named->objectName().isEmpty() || named->objectName().startsWith(QLatin1String("qt_"))))
      named = named->parentWidget();
    return QString::fromLatin1(widget->metaObject()->className()) +
           (named == widget ? QStringLiteral(" ") : QStringLiteral(" in ")) + named->objectName();
  }

  // Waits until the keys go to target or a widget inside it; false, logged, when they never do.
  // Keys sent before that would go where a user's could not.
  bool Focused(QWidget* target) {
    const auto inside = [target] {
      QWidget* focus = QApplication::focusWidget();
      return focus && (focus == target || target->isAncestorOf(focus));
    };
    if (QTest::qWaitFor(inside, 2000)) return true;
    log_ << QStringLiteral("   (focus on %1, not %2)")
                .arg(Name(QApplication::focusWidget()), Name(target));
    return false;
  }

  // Every key after the first must go where the first went: the focus moving in mid-typing
  // spreads one typed text over two places.
  void Type(const QString& text) {
    QPointer<QWidget> typingIn;
    QString typingInName;  // the widget may be gone by the time it is missed
    for (qsizetype i = 0; i < text.size(); ++i) {
      QTest::keyClick(Focus(), text[i].toLatin1());
      if (i == 0) {
        typingIn = QApplication::focusWidget();
        typingInName = Name(typingIn);
      }
      Pause();
      if (QApplication::focusWidget() != typingIn) {
        Fault(QStringLiteral("after %1 of %2 the focus moved from %3 to %4 (active window %5)")
                  .arg(text.left(i + 1), text, typingInName, Name(QApplication::focusWidget()),
                       Name(QApplication::activeWindow())));
        typingIn = QApplication::focusWidget();
        typingInName = Name(typingIn);
      }
    }
  }

  QString Digits() {
    QString text = QString::number(1 + Pick(9));
    for (int n = Pick(3); n > 0; --n) text += QString::number(Pick(10));
    return text;
  }

  void ShowPage(int page) {
    QTabBar* bar = pages_->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(page).center());
    Pause();
  }

  QTableView* View(GridId grid) const {
    const auto name = korvath::LayoutOf(grid).Name;
    return program_.Find<QTableView>(QString::fromUtf8(name.data(), qsizetype(name.size())));
  }

  void ClickCell(GridId grid, int row, int column) {
    QTableView* view = View(grid);
    const QModelIndex cell = view->model()->index(row - 1, column);
    view->scrollTo(cell);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(cell).center());
    Pause();
  }

  // The cell or edit box left with uncommitted typing is not typed into again at once: the
  // window rightly joins that to the typing before, which the direct acts do not model.
  Place PickPlace() {
    for (;;) {
      Place p;
      const int kind = Pick(3);
      if (kind == 0) {
        p.Page = Pick(3);
        p.Grid = korvath::UnitGridOf(p.Page);
        p.Row = 1 + Pick(8);
        p.Column = 3 + Pick(4);  // 耐久, 物資, 疲労, 士気
      } else if (kind == 1) {
        p.Page = korvath::kPagePilots;
        p.Grid = GridId::StringGrid4_1;
        p.Row = 1 + Pick(8);
        p.Column = 10 + Pick(2);  // 功績, 経験
      } else {
        const int force = Pick(4);
        if (force == 3) {
          p.Page = korvath::kPageSpecial;
          p.Control = QStringLiteral("Edit6_1");
        } else {
          p.Page = force;
          p.Control =
              QStringLiteral("Edit%1_%2").arg(force + 1).arg(1 + Pick(force == 0 ? 18 : 16));
        }
      }
      if (!open_ || !(*open_ == p)) return p;
    }
  }

  void TypeValue() {
    const Place p = PickPlace();
    const QString text = Digits();
    ShowPage(p.Page);
    QString act;
    if (p.Control.isEmpty()) {
      ClickCell(p.Grid, p.Row, p.Column);
      act = QStringLiteral("cell %1 %2,%3: %4").arg(int(p.Grid)).arg(p.Row).arg(p.Column).arg(text);
      if (!Focused(View(p.Grid))) {
        Skip(act);
        return;
      }
    } else {
      auto* edit = program_.Find<QLineEdit>(p.Control);
      QTest::mouseClick(edit, Qt::LeftButton, {}, edit->rect().center());
      Pause();
      act = p.Control + QStringLiteral(": ") + text;
      if (!Focused(edit)) {
        Skip(act);
        return;
      }
      Key(Qt::Key_A, Qt::ControlModifier);
    }
    if (qEnvironmentVariableIsSet("KORVATH_RANDOM_DEBUG"))
      log_ << QStringLiteral("   focus ") + Focus()->objectName() + " " +
                  Focus()->metaObject()->className();
    Type(text);
    open_.reset();
    switch (Pick(4)) {
      case 0:
        act += QStringLiteral(" Enter");
        Key(Qt::Key_Return);
        break;
      case 1:
        act += QStringLiteral(" Tab");
        Key(Qt::Key_Tab);
        break;
      case 2:
        // Escape takes a cell's typing back; an edit box keeps its text.
        act += QStringLiteral(" Escape");
        Key(Qt::Key_Escape);
        if (p.Control.isEmpty()) {
          log_ << act;
          return;
        }
        break;
      default:
        act += QStringLiteral(" (left open)");
        open_ = p;
        break;
    }
    log_ << act;
    const WorkingCopy::UserAct direct(*direct_);
    if (p.Control.isEmpty()) {
      direct_->SetCell(p.Grid, p.Row, p.Column, text.toStdString());
    } else {
      direct_->SetEditText(p.Control.toStdString(), text.toStdString());
    }
  }

  void ToggleCheckBox() {
    const bool own = Pick(2) == 0;
    const int area = Pick(24);  // CheckBox6_1..5 and CheckBox6_10..28
    const QString name = own ? QStringLiteral("CheckBox1_%1").arg(1 + Pick(11))
                             : QStringLiteral("CheckBox6_%1").arg(area < 5 ? area + 1 : area + 5);
    ShowPage(own ? korvath::kPageOwnForce : korvath::kPageSpecial);
    auto* box = program_.Find<QCheckBox>(name);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
    Pause();
    log_ << QStringLiteral("click ") + name;
    const std::string control = name.toStdString();
    const WorkingCopy::UserAct direct(*direct_);
    direct_->SetChecked(control, !direct_->Control(control).Checked);
  }

  void ToggleLine() {
    ShowPage(korvath::kPageSpecial);
    auto* list = program_.Find<QListView>(QStringLiteral("CheckListBox6_1"));
    const int line = 1 + Pick(12);
    const QModelIndex index = list->model()->index(line, 0);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
    Pause();
    if (!Focused(list)) return Skip(QStringLiteral("line %1").arg(line));
    Key(Qt::Key_Space);
    log_ << QStringLiteral("line %1 Space").arg(line);
    const WorkingCopy::UserAct direct(*direct_);
    direct_->SetCheckListChecked(line, !direct_->CheckList()[std::size_t(line)].Checked);
  }

  void UndoOrRedo(bool undo) {
    static const std::array<QKeyCombination, 3> kRedoKeys = {
        QKeyCombination(Qt::CTRL, Qt::Key_Y), QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z),
        QKeyCombination(Qt::CTRL, Qt::Key_Y)};
    const QString focus = Focus()->metaObject()->className();
    if (Pick(4) == 0) {
      QAction* item = program_.Action(undo ? "EditUndoMenu" : "EditRedoMenu");
      const QString name = undo ? QStringLiteral("menu undo") : QStringLiteral("menu redo");
      // A greyed-out item cannot be chosen. Triggered, it does nothing in the window, while the
      // direct side would still end the typing.
      if (!item->isEnabled()) return Skip(name);
      log_ << name;
      item->trigger();
      Pause();
    } else {
      const QKeyCombination key =
          undo ? QKeyCombination(Qt::CTRL, Qt::Key_Z) : kRedoKeys[std::size_t(Pick(3))];
      log_ << QKeySequence(key).toString() + QStringLiteral(" in ") + focus;
      Key(key.key(), key.keyboardModifiers());
    }
    open_.reset();
    direct_->EndTyping();
    if (undo) {
      direct_->Undo();
    } else {
      direct_->Redo();
    }
  }

  void UnitPopup() {
    const int force = Pick(3);
    const GridId grid = korvath::UnitGridOf(force);
    const int row = 1 + Pick(8);
    const int item = Pick(int(korvath::kUnitPopupItems.size()));
    ShowPage(force);
    korvath::test::RightClickCell(View(grid), row - 1, 13);
    QMenu* menu = OpenPopup();
    if (!menu) {
      // Skipped on both sides; logged so that a failure after it tells a slow machine apart.
      Skip(QStringLiteral("popup %1 row %2: no menu opened").arg(force).arg(row));
      return;
    }
    QAction* action = menu->actions().value(item);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    Pause();
    log_ << QStringLiteral("popup %1 row %2 item %3").arg(force).arg(row).arg(item);
    direct_->SetActivePage(force);
    direct_->SetCurrentCell(grid, row, 13);
    direct_->UnitPopupMenuClick(item);
    open_.reset();
  }

  void Compare() {
    const bool start = Pick(2) == 0;
    log_ << (start ? QStringLiteral("compare") : QStringLiteral("end comparison"));
    if (start) dialogs_.Answers = {otherPath_};
    program_.Action(start ? "FileCompareMenu" : "FileCompareEndMenu")->trigger();
    Pause();
  }

  // The unit editor's 変更 on the current slot of the own force, with a durability typed.
  void UnitEditor() {
    const int row = 1 + Pick(8);
    const QString text = Digits();
    ShowPage(korvath::kPageOwnForce);
    ClickCell(GridId::StringGrid1_2, row, 3);
    program_.Action("ViewUnitEditMenu")->trigger();
    auto* editor = program_.Find<TUnitEditForm>(QStringLiteral("UnitEditForm"));
    if (!korvath::test::WaitActive(editor)) {
      Skip(QStringLiteral("unit editor No %1: not active after 5 s").arg(row - 1));
      return;
    }
    auto* durability = editor->findChild<QLineEdit*>(QStringLiteral("Edit3"));
    QTest::mouseClick(durability, Qt::LeftButton, {}, durability->rect().center());
    if (!Focused(durability)) {
      Skip(QStringLiteral("unit editor No %1").arg(row - 1));
      editor->close();
      return;
    }
    QTest::keyClick(durability, Qt::Key_A, Qt::ControlModifier);
    Type(text);
    QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("Button8")), Qt::LeftButton);
    Pause();
    log_ << QStringLiteral("unit editor No %1 耐久 %2 変更").arg(row - 1).arg(text);
    direct_->SetActivePage(korvath::kPageOwnForce);
    direct_->SetCurrentCell(GridId::StringGrid1_2, row, 3);
    korvath::UnitEditorModel model(*direct_);
    model.Activate();
    model.SetEditText(korvath::UnitEditorModel::kDurability, text.toStdString());
    if (const auto message = model.Commit()) log_ << QString::fromStdString(*message);
    editor->close();
    program_.Main().activateWindow();
    korvath::test::WaitActive(&program_.Main());
    open_.reset();
  }

  void PlayOne() {
    ++played_;
    // The offscreen platform does not give the activation back when a popup or another window
    // closes, as a window manager does; an activation still queued from the act before is
    // handled first, so that it cannot move the focus in the middle of this one.
    QCoreApplication::processEvents();
    if (!program_.Main().isActiveWindow()) {
      program_.Main().activateWindow();
      if (!korvath::test::WaitActive(&program_.Main()))
        log_ << QStringLiteral("   (main window not active after 5 s)");
    }
    // Taking back what one has just typed is what users undo most.
    const bool typed = std::exchange(typed_, false);
    if (typed && Pick(3) == 0) return UndoOrRedo(true);
    const int roll = Pick(100);
    if (roll < 34) {
      typed_ = true;
      return TypeValue();
    }
    if (roll < 44) return ToggleCheckBox();
    if (roll < 50) return ToggleLine();
    if (roll < 68) return UndoOrRedo(true);
    if (roll < 78) return UndoOrRedo(false);
    if (roll < 84) {
      const int page = Pick(int(korvath::kPageCaptions.size()));
      log_ << QStringLiteral("page %1").arg(page);
      open_.reset();
      return ShowPage(page);
    }
    if (roll < 90) return UnitPopup();
    if (roll < 97) return Compare();
    return UnitEditor();
  }

  RecordingDialogs dialogs_;
  Workspace workspace_;
  Program program_{workspace_};
  QString path_;
  QString otherPath_;
  QByteArray original_;
  std::unique_ptr<WorkingCopy> direct_;
  QTabWidget* pages_ = nullptr;
  QRandomGenerator random_;
  QRandomGenerator stallRandom_;
  QStringList log_;
  std::optional<Place> open_;
  int played_ = 0;
  int skipped_ = 0;
  int faults_ = 0;
  bool typed_ = false;
};

}  // namespace

class RandomActsTest : public QObject {
  Q_OBJECT

 private slots:
  void saveWritesWhatTheActsMeant();
};

void RandomActsTest::saveWritesWhatTheActsMeant() {
  Player player;
#if defined(__SANITIZE_ADDRESS__)
  constexpr int kSequences = 40;  // the sanitizers slow every event down several times
#else
  constexpr int kSequences = 200;
#endif
  const int sequences = EnvInt("KORVATH_RANDOM_ACTS", kSequences);
  const auto first = quint32(EnvInt("KORVATH_RANDOM_SEED", 1));
  QElapsedTimer clock;
  clock.start();
  // KORVATH_RANDOM_ALL: report every failing sequence, not only the first.
  const bool all = qEnvironmentVariableIsSet("KORVATH_RANDOM_ALL");
  QList<quint32> failed;
  // Seeds that once found a fault, played before the others whatever the count.
  QList<quint32> seeds = {
      52331,   // Escape between two typings in one edit box: two steps
      401866,  // a greyed-out redo between two typings: no act, one step
  };
  for (int i = 0; i < sequences; ++i) seeds << first + quint32(i);
  for (qsizetype i = 0; i < seeds.size(); ++i) {
    const quint32 seed = seeds[i];
    const QString failure = player.Play(seed, 4 + int(seed % 9));
    // A long run tells how far it got, in case it has to be stopped.
    if (all && (i + 1) % 100 == 0)
      qInfo("%lld sequences played, %lld failed", i + 1, failed.size());
    if (failure.isEmpty()) continue;
    const QString text = QStringLiteral("seed %1:\n").arg(seed) + failure;
    if (!all) QFAIL(qPrintable(text));
    qInfo("%s", qPrintable(text));
    failed << seed;
  }
  qInfo("%lld sequences, %d acts (%d skipped), %lld ms, %lld failed", seeds.size(),
        player.ActsPlayed(), player.ActsSkipped(), clock.elapsed(), failed.size());
  QVERIFY(failed.isEmpty());
}

QTEST_MAIN(RandomActsTest)
#include "tst_randomacts.moc"
