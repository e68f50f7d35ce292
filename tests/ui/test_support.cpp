#include "test_support.h"

// Qt
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTableView>
#include <QTest>

// Std
#include <algorithm>

// Korvath
#include "core/save_image.h"
#include "core/working_copy.h"
#include "ui/main/application_windows.h"

namespace korvath::test {

namespace {

const QStringList kLabelFiles = {"plan.txt", "unit.txt",  "pilot.txt",
                                 "area.txt", "class.txt", "special.txt"};

QString DemoFile(const QString& name) {
  return QDir(QStringLiteral(KORVATH_DEMO_DIR)).filePath(name);
}

}  // namespace

RecordingDialogs::RecordingDialogs() { ui::SetDialogs(this); }

RecordingDialogs::~RecordingDialogs() { ui::SetDialogs(nullptr); }

QString RecordingDialogs::GetOpenFileName(QWidget* /*parent*/, const QString& filter) {
  Filters.append(filter);
  return Answers.isEmpty() ? QString() : Answers.takeFirst();
}

void RecordingDialogs::ShowMessage(QWidget* /*parent*/, QMessageBox::Icon icon,
                                   const QString& text) {
  Messages.append({icon, text});
}

QMessageBox::StandardButton RecordingDialogs::AskSaveChanges(QWidget* /*parent*/) {
  ++Questions;
  return SaveAnswers.isEmpty() ? QMessageBox::Discard : SaveAnswers.takeFirst();
}

int RecordingDialogs::Ask(QWidget* /*parent*/, const QString& text, const QStringList& answers,
                          int /*defaultAnswer*/, int escapeAnswer) {
  Asked.append(text);
  if (Choices.isEmpty()) return escapeAnswer;
  const int chosen = int(answers.indexOf(Choices.takeFirst()));
  if (chosen < 0) qFatal("no such answer");
  return chosen;
}

Workspace::Workspace() {
  if (!dir_.isValid()) qFatal("no temporary folder");
  // Backups of the saves written here stay here too.
  qputenv("XDG_STATE_HOME", QFile::encodeName(state_.path()));
  for (const QString& name : kLabelFiles) {
    if (!QFile::copy(DemoFile(name), Path(name)))
      qFatal("demo label file %s missing", qPrintable(name));
  }
}

QString Workspace::Path(const QString& name) const { return dir_.filePath(name); }

QString Workspace::DemoSave(const QString& name) const {
  return WriteFile(name, ReadFile(DemoFile(QStringLiteral("demo.bin"))));
}

QString Workspace::WriteFile(const QString& name, const QByteArray& bytes) const {
  const QString path = Path(name);
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
    qFatal("cannot write %s", qPrintable(path));
  }
  return path;
}

Program::Program(const Workspace& workspace)
    : copy_(std::make_unique<WorkingCopy>(
          std::filesystem::path(QFile::encodeName(workspace.Path(QString())).toStdString()))),
      main_(ui::CreateApplicationWindows(*copy_)) {
  main_->show();
  main_->activateWindow();
  if (!QTest::qWaitForWindowActive(main_.get())) qWarning("main window never became active");
  // The pages not shown and the unit editor are built after the window is up; tests reach into
  // all of them.
  if (!QTest::qWaitFor([this] { return main_->Built(); })) qWarning("windows never built");
}

Program::~Program() = default;

QAction* Program::Action(const char* name) const {
  return main_->findChild<QAction*>(QLatin1String(name));
}

void Program::OpenThroughMenu(RecordingDialogs& dialogs, const QString& path) const {
  dialogs.Answers.append(path);
  Action("FilleOpenMenu")->trigger();
}

void Program::Save() const { Action("FileSaveMenu")->trigger(); }

bool WaitActive(QWidget* window) {
  return QTest::qWaitFor([window] { return window->isActiveWindow(); });
}

void RightClickCell(QTableView* view, int row, int column) {
  const QModelIndex cell = view->model()->index(row, column);
  view->scrollTo(cell);
  const QPoint pos = view->visualRect(cell).center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, pos, view->viewport()->mapToGlobal(pos));
  QApplication::sendEvent(view->viewport(), &event);
}

QMenu* OpenPopup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

void ClosePopup() {
  if (QMenu* menu = OpenPopup()) menu->close();
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

std::uint32_t BitsOf(const QByteArray& save, int byte, int bit, int width) {
  SaveImage image;
  const auto* data = reinterpret_cast<const std::uint8_t*>(save.constData());
  const auto size = std::min<std::size_t>(std::size_t(save.size()), SaveImage::Capacity);
  image.Commit({data, size}, "");
  return ReadBits(image, byte, bit, width);
}

}  // namespace korvath::test
