#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

class QWidget;

namespace korvath::ui {

// The one way the windows ask the user something or tell them something. Tests replace it with
// one that records the message and answers at once, so no modal dialog ever blocks them.
class UserDialogs {
 public:
  virtual ~UserDialogs() = default;
  // An empty string when the user cancels.
  virtual QString GetOpenFileName(QWidget* parent, const QString& filter) = 0;
  // A modal box titled "Korvath" with a single OK button.
  virtual void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) = 0;
  // "変更を保存しますか?" with 保存 / 保存しない / キャンセル: Save, Discard or Cancel.
  virtual QMessageBox::StandardButton AskSaveChanges(QWidget* parent) = 0;
  // A question titled "Korvath" with the given answers as buttons, in order; the index of the
  // chosen one, escapeAnswer when the box is closed otherwise.
  virtual int Ask(QWidget* parent, const QString& text, const QStringList& answers,
                  int defaultAnswer, int escapeAnswer) = 0;
};

// The dialogs in use; the real Qt dialogs unless a test installed others.
UserDialogs& Dialogs();
// Installs replacement dialogs (not owned); nullptr restores the real ones.
void SetDialogs(UserDialogs* dialogs);

}  // namespace korvath::ui
