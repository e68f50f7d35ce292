// The hex dump window as the View menu drives it: a snapshot of the image, toggled by the menu
// item, whose check mark follows the window.

#include <QAction>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "core/hex_dump.h"
#include "core/working_copy.h"
#include "test_support.h"
#include "ui/hexdump/hex_dump_form.h"

using korvath::test::Program;
using korvath::test::RecordingDialogs;
using korvath::test::Workspace;

namespace {

// The listing as the text view holds it: one block per line, whatever the line breaks were.
QStringList Lines(const QPlainTextEdit* view) {
  return view->toPlainText().split(QLatin1Char('\n'));
}

QStringList DumpLines(const korvath::SaveImage& image) {
  return QString::fromStdString(korvath::BuildDumpText(image)).split(QStringLiteral("\r\n"));
}

}  // namespace

class HexDumpTest : public QObject {
  Q_OBJECT

 private slots:
  void startsHiddenWithPlaceholder();
  void menuTogglesWindowAndCheckMark();
  void closingWindowRemovesCheckMark();
  void dumpIsSnapshotTakenWhenOpened();
};

void HexDumpTest::startsHiddenWithPlaceholder() {
  Workspace workspace;
  Program program(workspace);
  auto* dump = program.Main().findChild<THexDumpForm*>();
  QVERIFY(dump);
  QVERIFY(!dump->isVisible());
  QCOMPARE(dump->windowTitle(), QStringLiteral("16進ダンプ"));
  QCOMPARE(dump->findChild<QPlainTextEdit*>("HexDump")->toPlainText(), QStringLiteral("HexDump"));
  QVERIFY(!program.Action("ViewDumpManu")->isEnabled());
}

void HexDumpTest::menuTogglesWindowAndCheckMark() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  auto* dump = program.Main().findChild<THexDumpForm*>();
  auto* text = dump->findChild<QPlainTextEdit*>("HexDump");
  QAction* item = program.Action("ViewDumpManu");

  item->trigger();
  QVERIFY(dump->isVisible());
  QVERIFY(item->isChecked());
  QCOMPARE(Lines(text), DumpLines(program.Copy().Image()));
  QCOMPARE(Lines(text).size(), 4 + 18368 / 16);

  item->trigger();
  QVERIFY(!dump->isVisible());
  QVERIFY(!item->isChecked());

  item->trigger();
  QVERIFY(dump->isVisible());
  QVERIFY(item->isChecked());
  QVERIFY(dump->width() <= 430);
}

void HexDumpTest::closingWindowRemovesCheckMark() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  auto* dump = program.Main().findChild<THexDumpForm*>();
  QAction* item = program.Action("ViewDumpManu");

  item->trigger();
  QVERIFY(dump->close());
  QVERIFY(!item->isChecked());
  // Only hidden: the same window comes back.
  item->trigger();
  QCOMPARE(program.Main().findChild<THexDumpForm*>(), dump);
  QVERIFY(dump->isVisible());
  QVERIFY(item->isChecked());
}

void HexDumpTest::dumpIsSnapshotTakenWhenOpened() {
  RecordingDialogs dialogs;
  Workspace workspace;
  Program program(workspace);
  program.OpenThroughMenu(dialogs, workspace.DemoSave("slot1.bin"));
  auto* text = program.Main().findChild<QPlainTextEdit*>("HexDump");
  QAction* item = program.Action("ViewDumpManu");
  item->trigger();
  const QStringList before = Lines(text);

  // 総資金 of the player's force: bytes 1622 to 1624, on the line of offset 0x650.
  auto* funds = program.Main().findChild<QLineEdit*>("Edit1_1");
  funds->setText("1193046");      // 0x123456
  QCOMPARE(Lines(text), before);  // an edit reaches the image only by Save
  program.Save();
  QCOMPARE(Lines(text), before);  // and the open dump is not refreshed

  item->trigger();
  item->trigger();
  const QString line = Lines(text).at(4 + 0x650 / 16);
  QVERIFY2(line.startsWith("00000650 ") && line.mid(9 + 6 * 3, 8) == "12 34 56", qPrintable(line));
  QVERIFY(Lines(text) != before);
}

QTEST_MAIN(HexDumpTest)
#include "tst_hexdump.moc"
