#include "ui/common/popup_choice_combo_box.h"

#include <QLineEdit>
#include <QTimer>

#include "ui/common/wheel_guard.h"

namespace korvath::ui {

PopupChoiceComboBox::PopupChoiceComboBox(QWidget* parent) : QComboBox(parent) {
  setEditable(true);
  setInsertPolicy(QComboBox::NoInsert);
  setCompleter(nullptr);
  lineEdit()->setAcceptDrops(false);
  IgnoreWheelUnlessFocused(this);
  connect(this, &QComboBox::activated, this, [this](int index) {
    if (closingPopup_) {
      emit chosen(index);
    } else {
      emit strayActivation();
    }
  });
}

void PopupChoiceComboBox::hidePopup() {
  // The open list reports its choice right after closing itself, in the same call.
  closingPopup_ = true;
  QComboBox::hidePopup();
  QTimer::singleShot(0, this, [this] { closingPopup_ = false; });
}

}  // namespace korvath::ui
