#pragma once

#include <memory>

class TMainForm;

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

// Creates the program's four windows in their order: the main window, the about box, the hex
// dump window and the unit editor. The main window owns the other three; the working copy must
// outlive it.
std::unique_ptr<TMainForm> CreateApplicationWindows(WorkingCopy& copy);

}  // namespace korvath::ui
