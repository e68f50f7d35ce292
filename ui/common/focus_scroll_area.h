#pragma once

#include <QScrollArea>

namespace korvath::ui {

// Holds a page or window drawn larger than the room the screen leaves it, scrolling where it does
// not fit. The control with the keyboard focus, and a focused table's current cell, are scrolled
// into view, so no key works out of sight.
class FocusScrollArea : public QScrollArea {
 public:
  // The content keeps at least its minimum size; beyond that it follows the area's size.
  explicit FocusScrollArea(QWidget* content, QWidget* parent = nullptr);

 private:
  void ShowFocus(QWidget* focus);
};

}  // namespace korvath::ui
