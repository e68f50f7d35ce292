#include "ui/common/wheel_guard.h"

#include <QEvent>
#include <QWidget>

namespace korvath::ui {

namespace {

class WheelGuard : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Wheel) return false;
    const auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget->hasFocus()) return false;
    // Ignored and filtered out, the event travels on to the parent.
    event->ignore();
    return true;
  }
};

}  // namespace

void IgnoreWheelUnlessFocused(QWidget* control) {
  if ((control->focusPolicy() & Qt::WheelFocus) == Qt::WheelFocus) {
    control->setFocusPolicy(Qt::StrongFocus);
  }
  control->installEventFilter(new WheelGuard(control));
}

}  // namespace korvath::ui
