#pragma once

class QWidget;

namespace korvath::ui {

// Ends the process once window, shown, is on the screen (exposed, and so painted), printing its
// title as shown, and "shown at SECONDS" of the wall clock on the error output, so that a timer
// (bench/wall-time) gets the start-up a user waits for. Exit status 0, or 1 when a display never
// showed it within 10 s.
void QuitAfterShow(QWidget* window);

}  // namespace korvath::ui
