#pragma once

class QWidget;

namespace korvath::ui {

// The wheel changes control's value only while it has the keyboard focus; otherwise the wheel
// goes on to what lies under it, so a list passed over while scrolling keeps its value. The wheel
// no longer gives the control the focus either.
void IgnoreWheelUnlessFocused(QWidget* control);

}  // namespace korvath::ui
