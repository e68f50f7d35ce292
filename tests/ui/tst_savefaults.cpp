// File > Save onto a target that cannot take a save: the write error with the path, and nothing
// on disk changed. The command line shares the rule; these make sure the editor does too.

#include <QDir>
#include <QFile>
#include <QTest>
#include <filesystem>

#include "test_support.h"
#include "tests/core/fault_injection.h"
#include "tests/core/odd_files.h"

using korvath::test::Program;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;
using korvath::testing::FileSizeLimit;
using korvath::testing::Snapshot;
using korvath::testing::WriteFaults;

namespace {

std::filesystem::path Native(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

class SaveFaultsTest : public QObject {
  Q_OBJECT

 private slots:
  void saveRefusesTargetsThatCannotTakeIt_data();
  void saveRefusesTargetsThatCannotTakeIt();
  void saveThroughADanglingLinkCreatesTheFileItNames();
};

void SaveFaultsTest::saveRefusesTargetsThatCannotTakeIt_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<QString>("why");
  const char* const notAFile = "通常のファイルではありません";
  const std::pair<const char*, const char*> kinds[] = {
      {"fifo", notAFile},
      {"device", notAFile},
      {"link to fifo", notAFile},
      {"read-only folder", "読み取り専用のファイルシステムです"},
      {"full", "ディスクの空きがありません"},
      {"file size limit", "ファイルサイズの上限を超えます"},
  };
  for (const auto& [kind, why] : kinds) QTest::newRow(kind) << kind << QString::fromUtf8(why);
}

void SaveFaultsTest::saveRefusesTargetsThatCannotTakeIt() {
  QFETCH(QString, kind);
  QFETCH(QString, why);
  RecordingDialogs dialogs;
  Workspace workspace;
  const auto root = Native(workspace.Path(QString()));
  WriteFaults faults;
  Program program(workspace);
  QVERIFY(QDir(workspace.Path(QString())).mkdir(QStringLiteral("in")));
  QString path = workspace.DemoSave(QStringLiteral("in/slot1.bin"));
  if (kind == "link to fifo") {
    QVERIFY(QFile::link(QStringLiteral("in/slot1.bin"), workspace.Path(QStringLiteral("link"))));
    path = workspace.Path(QStringLiteral("link"));
  }
  if (kind == "full") {
    QVERIFY(QDir(workspace.Path(QString())).mkdir(QStringLiteral("full")));
    if (!faults.Full(root / "full", {Native(path)})) QSKIP("cannot mount here");
    path = workspace.Path(QStringLiteral("full/slot1.bin"));
  }
  program.OpenThroughMenu(dialogs, path);
  QVERIFY(dialogs.Messages.isEmpty());

  const auto in = root / "in" / "slot1.bin";
  if (kind == "fifo" || kind == "link to fifo" || kind == "device") {
    std::filesystem::remove(in);
    if (kind == "device") {
      if (!korvath::testing::MakeNullDevice(in)) QSKIP("cannot make devices here");
    } else {
      korvath::testing::MakeFifo(in);
    }
  }
  // Only root's read-only mount binds: a folder's mode alone gets the writable save written in
  // place.
  if (kind == "read-only folder" && (::geteuid() != 0 || !faults.ReadOnly(root / "in")))
    QSKIP("cannot make it read-only");
  const std::string before = Snapshot(root);
  {
    const FileSizeLimit limit(kind == "file size limit" ? 4096 : RLIM_INFINITY);
    program.Save();
  }
  QCOMPARE(dialogs.Messages.size(), 1);
  QCOMPARE(dialogs.Messages[0].Text, QStringLiteral("ファイル書込エラー\n") + path + '\n' + why);
  QCOMPARE(Snapshot(root), before);
}

void SaveFaultsTest::saveThroughADanglingLinkCreatesTheFileItNames() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  const QString save = workspace.DemoSave(QStringLiteral("slot1.bin"));
  const QString link = workspace.Path(QStringLiteral("link.bin"));
  QVERIFY(QFile::link(QStringLiteral("slot1.bin"), link));
  program.OpenThroughMenu(dialogs, link);
  const QByteArray original = korvath::test::ReadFile(save);
  QVERIFY(QFile::remove(save));

  program.Save();

  QVERIFY(dialogs.Messages.isEmpty());
  QVERIFY(QFileInfo(link).isSymLink());
  QCOMPARE(korvath::test::ReadFile(save), original);
}

QTEST_MAIN(SaveFaultsTest)
#include "tst_savefaults.moc"
