#include "ui/common/focus_mark.h"

// Qt
#include <QEvent>
#include <QWidget>

namespace korvath::ui {

namespace {

class FocusMark : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // Creating the platform window clears the flag, so it is set on every showing.
    if (event->type() == QEvent::Show) {
      static_cast<QWidget*>(watched)->setAttribute(Qt::WA_KeyboardFocusChange);
    }
    return false;
  }
};

}  // namespace

void MarkFocusFromStart(QWidget* window) { window->installEventFilter(new FocusMark(window)); }

}  // namespace korvath::ui
