#include "ui/common/user_dialogs.h"

#include <QFileDialog>

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
};

QtDialogs realDialogs;
UserDialogs* current = nullptr;

}  // namespace

UserDialogs& Dialogs() { return current ? *current : realDialogs; }

void SetDialogs(UserDialogs* dialogs) { current = dialogs; }

}  // namespace korvath::ui
