#pragma once

#include <memory>

class TMainForm;

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

// Creates the main window, then the hex dump window and the unit editor, which it owns; the about
// box comes when first asked for. The working copy must outlive the main window.
std::unique_ptr<TMainForm> CreateApplicationWindows(WorkingCopy& copy);

}  // namespace korvath::ui
