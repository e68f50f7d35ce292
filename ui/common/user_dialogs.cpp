#include "ui/common/user_dialogs.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QPushButton>

#include "core/window_texts.h"
#include "ui/common/core_text.h"

namespace korvath::ui {

namespace {

class QtDialogs : public UserDialogs {
 public:
  QString GetOpenFileName(QWidget* parent, const QString& filter) override {
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
  }
  void ShowMessage(QWidget* parent, QMessageBox::Icon icon, const QString& text) override {
    QMessageBox box(icon, QStringLiteral("Korvath"), text, QMessageBox::Ok, parent);
    box.exec();
  }
  QMessageBox::StandardButton AskSaveChanges(QWidget* parent) override {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Korvath"),
                    ToQString(kSaveChangesQuestion),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, parent);
    // Named here rather than by the translation, which may be missing or say it otherwise.
    box.button(QMessageBox::Save)->setText(ToQString(kSaveAnswer));
    box.button(QMessageBox::Discard)->setText(ToQString(kDiscardAnswer));
    box.button(QMessageBox::Cancel)->setText(ToQString(kCancelAnswer));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    const int answer = box.exec();
    return answer == QMessageBox::Save || answer == QMessageBox::Discard
               ? QMessageBox::StandardButton(answer)
               : QMessageBox::Cancel;
  }
  int Ask(QWidget* parent, const QString& text, const QStringList& answers, int defaultAnswer,
          int escapeAnswer) override {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Korvath"), text, QMessageBox::NoButton,
                    parent);
    QList<QAbstractButton*> buttons;
    for (const QString& answer : answers)
      buttons.append(box.addButton(answer, QMessageBox::AcceptRole));
    box.setDefaultButton(qobject_cast<QPushButton*>(buttons.value(defaultAnswer)));
    box.setEscapeButton(buttons.value(escapeAnswer));
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen < 0 ? escapeAnswer : chosen;
  }
};

QtDialogs realDialogs;
UserDialogs* current = nullptr;

}  // namespace

UserDialogs& Dialogs() { return current ? *current : realDialogs; }

void SetDialogs(UserDialogs* dialogs) { current = dialogs; }

}  // namespace korvath::ui
