#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

namespace korvath::ui {

// Where a window's frame goes inside a screen's available area: where it was asked for when it
// fits, else moved in and, where it is larger, made smaller. `frame` is the asked-for frame
// rectangle; `margins` the frame around the client area.
QRect FitFrame(const QRect& frame, const QMargins& margins, const QRect& available);

// Keeps a top-level window inside the available area of its screen each time it is shown: its
// size from the program's layout where that fits, else as much as the screen holds (its minimum
// size too), its content then scrolling inside. The window manager's frame is known only after
// the first showing, so it is estimated until then and the window fitted again once it is known.
void KeepInsideScreen(QWidget* window);

}  // namespace korvath::ui
