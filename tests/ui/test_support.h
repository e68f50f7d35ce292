#pragma once

#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <memory>

#include "ui/common/user_dialogs.h"
#include "ui/main/main_form.h"

class QAction;
class QMenu;
class QTableView;

namespace korvath {
class WorkingCopy;
}

namespace korvath::test {

// Answers the open dialog from a queue and records every message instead of showing it, so no
// modal dialog ever blocks a test. Installed for as long as it lives.
class RecordingDialogs : public ui::UserDialogs {
 public:
  struct Message {
    QMessageBox::Icon Icon;
    QString Text;
  };

  RecordingDialogs();
  ~RecordingDialogs() override;

  QString GetOpenFileName(QWidget* parent, const QString& filter) override;
  void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) override;
  QMessageBox::StandardButton AskSaveChanges(QWidget* parent) override;
  int Ask(QWidget* parent, const QString& text, const QStringList& answers, int defaultAnswer,
          int escapeAnswer) override;

  QStringList Answers;  // what the open dialog returns, in turn; cancelled once they run out
  QStringList Filters;  // the filter of every open dialog shown
  QList<Message> Messages;
  // What the save question answers, in turn; 保存しない once they run out. Questions counts it.
  QList<QMessageBox::StandardButton> SaveAnswers;
  int Questions = 0;
  // Every other question asked, with what Choices answers in turn (by caption); the escape
  // answer once they run out.
  QStringList Asked;
  QStringList Choices;
};

// A scratch folder holding copies of the demo label files, for saves to be written into.
class Workspace {
 public:
  Workspace();

  QString Path(const QString& name) const;
  // A copy of the demo save under the given name.
  QString DemoSave(const QString& name) const;
  QString WriteFile(const QString& name, const QByteArray& bytes) const;

 private:
  QTemporaryDir dir_;
  QTemporaryDir state_;  // the backup store, apart so that it never shows among the files
};

// A working copy over a workspace's label files and the program's four windows, shown.
class Program {
 public:
  explicit Program(const Workspace& workspace);
  ~Program();

  WorkingCopy& Copy() const { return *copy_; }
  TMainForm& Main() const { return *main_; }
  QAction* Action(const char* name) const;
  // Chooses a file through File > Open, answering the dialog with path.
  void OpenThroughMenu(RecordingDialogs& dialogs, const QString& path) const;
  void Save() const;
  template <typename T>
  T* Find(const QString& name) const {
    return main_->findChild<T*>(name);
  }

 private:
  std::unique_ptr<WorkingCopy> copy_;
  std::unique_ptr<TMainForm> main_;
};

// qWaitForWindowActive counts a window active while its transient parent is, so this asks the
// widget itself.
bool WaitActive(QWidget* window);

// Sends what a right-click on the cell at model row and column sends.
void RightClickCell(QTableView* view, int row, int column);
// The popup menu that is open, if any; ClosePopup closes it.
QMenu* OpenPopup();
void ClosePopup();

QByteArray ReadFile(const QString& path);
// The value of a field of a save file's bytes, by the same bit rules as the editor.
std::uint32_t BitsOf(const QByteArray& save, int byte, int bit, int width);

}  // namespace korvath::test
