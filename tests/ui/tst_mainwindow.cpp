// The main window's frame: menus and their states, Open and Save with their messages, the
// bound controls' way into the file, drag and drop.

#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "core/working_copy.h"
#include "test_support.h"
#include "ui/main/early_start.h"

using korvath::test::BitsOf;
using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;

namespace {

const QString kReadError = QStringLiteral("ファイル読込エラー\n");
const QString kWriteError = QStringLiteral("ファイル書込エラー\n");

void TypeInto(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

// What an input method sends when the user commits Japanese text over the whole line.
void CommitText(QLineEdit* edit, const QString& text) {
  edit->setFocus();
  edit->selectAll();
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(edit, &event);
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void menuItemsBeforeAndAfterOpen_data();
  void menuItemsBeforeAndAfterOpen();
  void shortcutsActOnlyWhileTheirItemIsEnabled();
  void aboutBoxShowsTheVersion();
  void earlyStartHandsOverTheCopyOrWhatStoppedIt();
  void cancellingOpenChangesNothing();
  void openAcceptsFilesUpToCapacity_data();
  void openAcceptsFilesUpToCapacity();
  void refusedOpenKeepsEarlierFile_data();
  void refusedOpenKeepsEarlierFile();
  void saveStopsAtTextThatIsNotAnInteger();
  void saveWriteFailureReportsPathAndLeavesTarget();
  void boundControlsReachFileAfterSave();
  void scenarioTextThatMatchesNoItemLeavesFlags();
  void droppedSaveFileOpens();
  void unsavedChangesAreMarkedAndAskedAbout();
};

void MainWindowTest::menuItemsBeforeAndAfterOpen_data() {
  QTest::addColumn<QString>("item");
  QTest::addColumn<QString>("caption");
  QTest::addColumn<QKeySequence>("shortcut");
  QTest::addColumn<bool>("enabledBefore");

  QTest::newRow("open") << "FilleOpenMenu"
                        << "開く(&O)..." << QKeySequence(Qt::CTRL | Qt::Key_O) << true;
  QTest::newRow("save") << "FileSaveMenu"
                        << "保存(&S)" << QKeySequence(Qt::CTRL | Qt::Key_S) << false;
  QTest::newRow("exit") << "FileExitMenu"
                        << "終了(&X)" << QKeySequence() << true;
  QTest::newRow("unit editor") << "ViewUnitEditMenu"
                               << "部隊エディタ(&U)" << QKeySequence() << false;
  QTest::newRow("dump") << "ViewDumpManu"
                        << "16進ダンプ(&H)" << QKeySequence() << false;
  QTest::newRow("about") << "HelpAboutMenu"
                         << "バージョン情報(&A)..." << QKeySequence() << true;
}

void MainWindowTest::menuItemsBeforeAndAfterOpen() {
  QFETCH(QString, item);
  QFETCH(QString, caption);
  QFETCH(QKeySequence, shortcut);
  QFETCH(bool, enabledBefore);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);

  QAction* action = program.Action(item.toLatin1().constData());
  QVERIFY(action);
  QCOMPARE(action->text(), caption);
  QCOMPARE(action->shortcut(), shortcut);
  QCOMPARE(action->isEnabled(), enabledBefore);
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath"));

  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  QVERIFY(dialogs.Messages.isEmpty());
  QVERIFY(action->isEnabled());
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath slot1.bin[*]"));
  QCOMPARE(dialogs.Filters, QStringList{QStringLiteral("bin (*.bin)")});
}

// The box is built when first asked for, each time the same.
void MainWindowTest::aboutBoxShowsTheVersion() {
  Workspace workspace;
  Program program(workspace);
  QStringList shown;
  for (int i = 0; i < 2; ++i) {
    QTimer::singleShot(0, [&shown] {
      QWidget* box = QApplication::activeModalWidget();
      if (!box) return;
      if (const auto* version = box->findChild<QLabel*>(QStringLiteral("Version"))) {
        shown.append(version->text());
      }
      box->close();
    });
    program.Action("HelpAboutMenu")->trigger();
  }
  QCOMPARE(shown, QStringList(2, QStringLiteral("Ver " KORVATH_VERSION)));
}

// Built on a thread of its own, the copy, or what stopped it, reaches the caller as from a call.
void MainWindowTest::earlyStartHandsOverTheCopyOrWhatStoppedIt() {
  Workspace workspace;
  const std::filesystem::path labels = QFile::encodeName(workspace.Path({})).toStdString();
  korvath::ui::EarlyStart found(korvath::LabelSearch{{}, {}, {}, {}, labels});
  const std::unique_ptr<korvath::WorkingCopy> copy = found.TakeCopy();
  QVERIFY(copy);
  korvath::ui::EarlyStart missing(korvath::LabelSearch{{}, {}, {}, {}, labels / "none"});
  QVERIFY_THROWS_EXCEPTION(korvath::StartupError, missing.TakeCopy());
}

void MainWindowTest::shortcutsActOnlyWhileTheirItemIsEnabled() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  const QByteArray original = ReadFile(path);

  // A save before any open would at least have reported a write error.
  QTest::keyClick(&program.Main(), Qt::Key_S, Qt::ControlModifier);
  QVERIFY(dialogs.Messages.isEmpty());

  dialogs.Answers.append(path);
  QTest::keyClick(&program.Main(), Qt::Key_O, Qt::ControlModifier);
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath slot1.bin[*]"));

  TypeInto(program.Find<QLineEdit>("Edit1_1"), "4660");
  program.Main().activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(&program.Main()));
  QTest::keyClick(&program.Main(), Qt::Key_S, Qt::ControlModifier);
  QVERIFY(dialogs.Messages.isEmpty());
  QVERIFY(ReadFile(path) != original);
  QCOMPARE(BitsOf(ReadFile(path), 1622, 0, 24), 4660u);
}

void MainWindowTest::cancellingOpenChangesNothing() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);

  program.Action("FilleOpenMenu")->trigger();  // no answer queued: cancelled
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath"));
  QVERIFY(!program.Action("FileSaveMenu")->isEnabled());
  QVERIFY(!program.Copy().Image().Loaded);

  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);
  program.Action("FilleOpenMenu")->trigger();
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath slot1.bin[*]"));
  QCOMPARE(QString::fromStdString(program.Copy().Image().Path), path);
  QVERIFY(dialogs.Messages.isEmpty());
}

void MainWindowTest::openAcceptsFilesUpToCapacity_data() {
  QTest::addColumn<int>("size");
  QTest::newRow("empty") << 0;
  QTest::newRow("one byte") << 1;
  QTest::newRow("exactly the capacity") << 18368;
}

void MainWindowTest::openAcceptsFilesUpToCapacity() {
  QFETCH(int, size);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.WriteFile("fits.bin", QByteArray(size, '\x5A'));

  program.OpenThroughMenu(dialogs, path);
  QVERIFY(dialogs.Messages.isEmpty());
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath fits.bin[*]"));
  QCOMPARE(program.Copy().Image().Length, size);

  program.Save();
  QVERIFY(dialogs.Messages.isEmpty());
  QCOMPARE(ReadFile(path).size(), size);
}

void MainWindowTest::refusedOpenKeepsEarlierFile_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("one byte over the capacity") << "large";
  QTest::newRow("missing file") << "missing";
  QTest::newRow("folder") << "folder";
  QTest::newRow("FIFO, refused without waiting for a writer") << "fifo";
}

void MainWindowTest::refusedOpenKeepsEarlierFile() {
  QFETCH(QString, kind);
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString first = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, first);
  const QString shownFunds = program.Find<QLineEdit>("Edit1_1")->text();

  QString refused = workspace.Path("refused.bin");
  if (kind == "large") workspace.WriteFile("refused.bin", QByteArray(18369, '\x11'));
  if (kind == "folder") QVERIFY(QDir().mkdir(refused));
  if (kind == "fifo") QCOMPARE(::mkfifo(QFile::encodeName(refused).constData(), 0600), 0);
  program.OpenThroughMenu(dialogs, refused);

  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Text, kReadError + refused);
  QCOMPARE(program.Main().windowTitle(), QStringLiteral("Korvath slot1.bin[*]"));
  QCOMPARE(program.Find<QLineEdit>("Edit1_1")->text(), shownFunds);

  // Save still goes to the file opened first.
  TypeInto(program.Find<QLineEdit>("Edit1_1"), "123456");
  program.Save();
  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(BitsOf(ReadFile(first), 1622, 0, 24), 123456u);
  if (kind == "large") QCOMPARE(ReadFile(refused), QByteArray(18369, '\x11'));
}

void MainWindowTest::saveStopsAtTextThatIsNotAnInteger() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  const QByteArray original = ReadFile(path);
  program.OpenThroughMenu(dialogs, path);

  TypeInto(program.Find<QLineEdit>("Edit1_2"), "12 ");
  program.Save();

  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Icon, QMessageBox::Critical);
  QCOMPARE(dialogs.Messages[0].Text, QStringLiteral("'12 ' は整数ではありません"));
  QCOMPARE(ReadFile(path), original);
  QCOMPARE(program.Find<QLineEdit>("Edit1_2")->text(), QStringLiteral("12 "));
}

void MainWindowTest::saveWriteFailureReportsPathAndLeavesTarget() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);

  // Permissions do not stop root, but nothing writes a file over a folder.
  QVERIFY(QFile::remove(path));
  QVERIFY(QDir().mkdir(path));
  workspace.WriteFile("slot1.bin/keep.txt", "kept");
  const QStringList before = QDir(workspace.Path(QString())).entryList(QDir::AllEntries);

  program.Save();

  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Text,
           kWriteError + path + QStringLiteral("\n通常のファイルではありません"));
  QVERIFY(QFileInfo(path).isDir());
  QCOMPARE(ReadFile(workspace.Path("slot1.bin/keep.txt")), QByteArray("kept"));
  // No temporary file is left behind.
  QCOMPARE(QDir(workspace.Path(QString())).entryList(QDir::AllEntries), before);
}

void MainWindowTest::boundControlsReachFileAfterSave() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);
  const QByteArray original = ReadFile(path);

  TypeInto(program.Find<QLineEdit>("Edit3_1"), "9999999");  // 総資金 of the second enemy
  auto* flag = program.Find<QCheckBox>("CheckBox6_17");
  const bool flagWas = flag->isChecked();
  flag->click();
  auto* faction = program.Find<QComboBox>("ComboBox2_1");
  faction->setFocus();
  QTest::keyClick(faction, Qt::Key_End);  // the last item, "無し"
  QCOMPARE(faction->currentText(), QStringLiteral("無し"));
  CommitText(program.Find<QComboBox>("ComboBox6_1")->lineEdit(), QStringLiteral("特別編"));
  program.Save();
  QVERIFY(dialogs.Messages.isEmpty());

  const QByteArray saved = ReadFile(path);
  QCOMPARE(saved.size(), original.size());
  QCOMPARE(saved.mid(1670, 3), QByteArray("\x98\x96\x7F"));
  QCOMPARE(BitsOf(saved, 1479, 7, 1), flagWas ? 0u : 1u);
  QCOMPARE(BitsOf(saved, 1628, 0, 4), 15u);
  QCOMPARE(BitsOf(saved, 17, 3, 1), 0u);
  QCOMPARE(BitsOf(saved, 16, 0, 2), 3u);
}

void MainWindowTest::scenarioTextThatMatchesNoItemLeavesFlags() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("slot1.bin");
  program.OpenThroughMenu(dialogs, path);
  const QByteArray original = ReadFile(path);

  auto* scenario = program.Find<QComboBox>("ComboBox6_1");
  CommitText(scenario->lineEdit(), QStringLiteral("第３部"));
  QCOMPARE(scenario->currentText(), QStringLiteral("第３部"));
  program.Save();

  QVERIFY(dialogs.Messages.isEmpty());
  QCOMPARE(ReadFile(path).mid(16, 2), original.mid(16, 2));
}

void MainWindowTest::droppedSaveFileOpens() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave("dropped.bin");
  const QString text = workspace.WriteFile("notes.txt", "not a save");

  for (const QString& file : {text, path}) {
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    const QPoint at(100, 100);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&program.Main(), &enter);
    QCOMPARE(enter.isAccepted(), file == path);
    if (!enter.isAccepted()) continue;
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&program.Main(), &drop);
  }
  QTRY_COMPARE(program.Main().windowTitle(), QStringLiteral("Korvath dropped.bin[*]"));
  QVERIFY(program.Action("FileSaveMenu")->isEnabled());
}

void MainWindowTest::unsavedChangesAreMarkedAndAskedAbout() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString a = workspace.DemoSave(QStringLiteral("a.bin"));
  const QString b = workspace.DemoSave(QStringLiteral("b.bin"));
  program.OpenThroughMenu(dialogs, a);
  TMainForm& main = program.Main();
  QVERIFY(!main.isWindowModified());
  program.OpenThroughMenu(dialogs, a);  // nothing changed: no question
  QCOMPARE(dialogs.Questions, 0);

  auto* money = program.Find<QLineEdit>(QStringLiteral("Edit1_1"));
  money->setText(QStringLiteral("4321"));
  QVERIFY(main.isWindowModified());
  program.Action("EditUndoMenu")->trigger();
  QVERIFY(!main.isWindowModified());  // back at the save point
  program.Action("EditRedoMenu")->trigger();
  QVERIFY(main.isWindowModified());

  // キャンセル keeps the window, the file and the work.
  const QByteArray opened = ReadFile(a);
  dialogs.SaveAnswers = {QMessageBox::Cancel, QMessageBox::Cancel, QMessageBox::Cancel};
  QVERIFY(!main.close());
  program.Action("FileExitMenu")->trigger();
  program.OpenThroughMenu(dialogs, b);
  QCOMPARE(dialogs.Questions, 3);
  QVERIFY(main.isVisible());
  QCOMPARE(main.windowTitle(), QStringLiteral("Korvath a.bin[*]"));
  QCOMPARE(money->text(), QStringLiteral("4321"));
  QCOMPARE(ReadFile(a), opened);
  dialogs.Answers.clear();

  // 保存 goes on only once the save succeeded.
  money->setText(QStringLiteral("x"));
  dialogs.SaveAnswers = {QMessageBox::Save};
  QVERIFY(!main.close());
  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(ReadFile(a), opened);
  money->setText(QStringLiteral("4321"));
  dialogs.SaveAnswers = {QMessageBox::Save};
  QVERIFY(main.close());
  QCOMPARE(BitsOf(ReadFile(a), 1622, 0, 24), 4321u);
}

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
