// The game writes the open save while the editor holds it: the editor notices, reads it again or
// asks, never writes over it unasked, and keeps what every save replaces.

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableWidget>
#include <QTest>
#include <filesystem>

#include "core/field_maps.h"
#include "core/file_io.h"
#include "core/save_image.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/main/comparison.h"

using korvath::test::Program;
using korvath::test::ReadFile;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;

namespace {

const QString kReloaded = QStringLiteral("他のプログラムが変更したファイルを読み直しました");

// save with the value of an edit box's field replaced.
QByteArray With(const QByteArray& save, const char* control, int value) {
  korvath::SaveImage image;
  image.Commit({reinterpret_cast<const std::uint8_t*>(save.constData()), std::size_t(save.size())},
               "");
  korvath::WriteBits(image, korvath::FindMainField(control)->Field, value);
  return {reinterpret_cast<const char*>(image.Bytes.data()), image.Length};
}

std::uint32_t Value(const QByteArray& save, const char* control) {
  const korvath::TField& f = korvath::FindMainField(control)->Field;
  return korvath::test::BitsOf(save, f.ByteOffset, f.BitOffset, f.BitWidth);
}

// The game's way of saving: a new file renamed over the old one.
void RenameOver(const Workspace& workspace, const QString& path, const QByteArray& bytes) {
  const QString temp = workspace.WriteFile(QStringLiteral("game.tmp"), bytes);
  std::filesystem::rename(QFile::encodeName(temp).toStdString(),
                          QFile::encodeName(path).toStdString());
}

void Type(const Program& program, const char* control, const QString& text) {
  auto* edit = program.Find<QLineEdit>(QLatin1String(control));
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, text);
}

QString Status(const Program& program) { return program.Main().statusBar()->currentMessage(); }

std::vector<korvath::StoredBackup> Backups(const QString& save) {
  return korvath::ListBackups(korvath::BackupRoot(), QFile::encodeName(save).toStdString());
}

}  // namespace

class GameWritesTest : public QObject {
  Q_OBJECT

 private slots:
  void aRenameOverIsReadAgainWithinOneSecond();
  void unsavedChangesAskOnceAndSaveAsksBeforeWritingOver();
  void aDeletedSaveIsReportedAndWrittenAgain();
  void backupsCompareAndRestore();
};

void GameWritesTest::aRenameOverIsReadAgainWithinOneSecond() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave(QStringLiteral("slot1.bin"));
  const QString other = workspace.DemoSave(QStringLiteral("other.bin"));
  program.OpenThroughMenu(dialogs, path);
  dialogs.Answers.append(other);
  program.Action("FileCompareMenu")->trigger();
  auto* comparison = program.Main().findChild<korvath::ui::Comparison*>();
  QVERIFY(comparison && comparison->Active());

  const QByteArray game = With(ReadFile(path), "Edit1_2", 4321);
  QElapsedTimer clock;
  clock.start();
  RenameOver(workspace, path, game);
  QTRY_VERIFY_WITH_TIMEOUT(program.Find<QLineEdit>("Edit1_2")->text() == "4321", 1000);
  qInfo("read again after %lld ms", clock.elapsed());
  QCOMPARE(Status(program), kReloaded);
  QVERIFY(dialogs.Asked.isEmpty());
  QVERIFY(!program.Copy().CanUndo());
  QVERIFY(comparison->Active());
  // The new file is watched in turn.
  RenameOver(workspace, path, With(game, "Edit1_2", 55));
  QTRY_VERIFY_WITH_TIMEOUT(program.Find<QLineEdit>("Edit1_2")->text() == "55", 1000);
}

void GameWritesTest::unsavedChangesAskOnceAndSaveAsksBeforeWritingOver() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave(QStringLiteral("slot1.bin"));
  program.OpenThroughMenu(dialogs, path);
  Type(program, "Edit1_1", QStringLiteral("777"));

  // Written in place, as some games do; 編集を続ける is the answer when none is given.
  const QByteArray game = With(ReadFile(path), "Edit1_2", 4321);
  workspace.WriteFile(QStringLiteral("slot1.bin"), game);
  QTRY_COMPARE_WITH_TIMEOUT(dialogs.Asked.size(), 1, 2000);
  QCOMPARE(dialogs.Asked[0],
           QStringLiteral("ファイル slot1.bin が他のプログラムで変更されました。"));
  workspace.WriteFile(QStringLiteral("slot1.bin"), game);  // the same bytes again
  program.Main().activateWindow();
  QTest::qWait(400);
  QCOMPARE(dialogs.Asked.size(), 1);
  QCOMPARE(program.Find<QLineEdit>("Edit1_1")->text(), QStringLiteral("777"));

  program.Save();  // キャンセル, the default
  QCOMPARE(dialogs.Asked.size(), 2);
  QCOMPARE(dialogs.Asked[1],
           QStringLiteral("ファイル slot1.bin は開いた後に変更されています。上書きしますか?"));
  QCOMPARE(ReadFile(path), game);
  dialogs.Choices = {QStringLiteral("上書き保存")};
  program.Save();
  QCOMPARE(Value(ReadFile(path), "Edit1_1"), 777u);
  QVERIFY(dialogs.Messages.isEmpty());
  QCOMPARE(korvath::test::ReadFile(QString::fromStdString(Backups(path).front().Path.string())),
           game);

  // 読み直す drops the edits for the game's file.
  Type(program, "Edit1_1", QStringLiteral("5"));
  const QByteArray second = With(ReadFile(path), "Edit1_2", 99);
  dialogs.Choices = {QStringLiteral("読み直す")};
  RenameOver(workspace, path, second);
  QTRY_COMPARE_WITH_TIMEOUT(program.Find<QLineEdit>("Edit1_2")->text(), QStringLiteral("99"), 2000);
  QCOMPARE(dialogs.Asked.size(), 4);
  QCOMPARE(program.Find<QLineEdit>("Edit1_1")->text(), QStringLiteral("777"));
  QCOMPARE(Status(program), kReloaded);
  QVERIFY(program.Copy().IsAtSavePoint());
}

void GameWritesTest::aDeletedSaveIsReportedAndWrittenAgain() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave(QStringLiteral("slot1.bin"));
  program.OpenThroughMenu(dialogs, path);
  const QByteArray original = ReadFile(path);
  QVERIFY(QFile::remove(path));
  QTRY_COMPARE_WITH_TIMEOUT(
      Status(program),
      QStringLiteral(
          "ファイル slot1.bin は削除されたか名前が変わりました。保存すると元の場所に書き込みます"),
      2000);
  program.Save();
  QVERIFY(dialogs.Messages.isEmpty());
  QVERIFY(dialogs.Asked.isEmpty());
  QCOMPARE(ReadFile(path), original);
}

void GameWritesTest::backupsCompareAndRestore() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString path = workspace.DemoSave(QStringLiteral("slot1.bin"));
  program.OpenThroughMenu(dialogs, path);
  const QByteArray original = ReadFile(path);
  Type(program, "Edit1_1", QStringLiteral("1"));
  program.Save();
  const QByteArray first = ReadFile(path);
  Type(program, "Edit1_1", QStringLiteral("2"));
  program.Save();
  QVERIFY(dialogs.Messages.isEmpty());

  program.Action("FileBackupsMenu")->trigger();
  auto* list = program.Find<QTableWidget>(QStringLiteral("BackupList"));
  QVERIFY(list && list->isVisible());
  QCOMPARE(list->rowCount(), 2);  // newest first: the first save's bytes, then the file opened
  QCOMPARE(list->item(0, 2)->text(), QStringLiteral("1"));
  QCOMPARE(list->item(1, 1)->text(), QString::number(original.size()));

  list->selectRow(1);
  program.Find<QPushButton>(QStringLiteral("BackupCompareButton"))->click();
  auto* comparison = program.Main().findChild<korvath::ui::Comparison*>();
  QVERIFY(comparison->Active());

  // With unsaved changes 復元 asks first; キャンセル, the default, keeps everything.
  Type(program, "Edit1_1", QStringLiteral("3"));
  program.Find<QPushButton>(QStringLiteral("BackupRestoreButton"))->click();
  QCOMPARE(dialogs.Asked.size(), 1);
  QCOMPARE(Value(ReadFile(path), "Edit1_1"), 2u);
  dialogs.Choices = {QStringLiteral("復元")};
  list->selectRow(1);
  program.Find<QPushButton>(QStringLiteral("BackupRestoreButton"))->click();
  QCOMPARE(ReadFile(path), original);
  QCOMPARE(program.Find<QLineEdit>("Edit1_1")->text(), QString::number(Value(original, "Edit1_1")));
  QVERIFY(program.Copy().IsAtSavePoint());
  QVERIFY(comparison->Active());
  // What the restore replaced is kept in turn, and the list follows.
  QCOMPARE(Value(ReadFile(QString::fromStdString(Backups(path).front().Path.string())), "Edit1_1"),
           2u);
  QCOMPARE(list->rowCount(), 3);
  QCOMPARE(Backups(path)[1].Size, std::uint64_t(first.size()));
}

QTEST_MAIN(GameWritesTest)
#include "tst_gamewrites.moc"
