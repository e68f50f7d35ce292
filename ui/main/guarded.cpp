#include "ui/main/guarded.h"

#include <QMessageBox>

#include "ui/common/user_dialogs.h"

namespace korvath::ui {

void ShowError(QWidget* parent, const QString& text) noexcept {
  try {
    Dialogs().ShowMessage(parent, QMessageBox::Critical, text);
  } catch (...) {
    // Nothing is left to tell the user with.
  }
}

}  // namespace korvath::ui
