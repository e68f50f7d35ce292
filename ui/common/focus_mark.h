#pragma once

class QWidget;

namespace korvath::ui {

// The window's styles draw the focus mark from its first showing, not only once the Tab key has
// moved the focus: a keyboard user must see where the keys go from the start.
void MarkFocusFromStart(QWidget* window);

}  // namespace korvath::ui
