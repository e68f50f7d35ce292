#pragma once

#include <future>
#include <memory>

#include "core/label_folders.h"
#include "core/working_copy.h"

namespace korvath::ui {

// The start-up work that needs no display, done on a second thread while QApplication connects
// to it: fontconfig's set-up (reading its configuration and caches, which the first font waits
// for) and the working copy built from the label folders. Made before the QApplication.
class EarlyStart {
 public:
  explicit EarlyStart(LabelSearch search);

  // Until the thread is done: the process must not leave (Qt's option parsing may) under it.
  void Wait() const { copy_.wait(); }
  // The working copy, once built; or rethrows what building it threw (StartupError when no label
  // folder will do).
  std::unique_ptr<WorkingCopy> TakeCopy() { return copy_.get(); }

 private:
  std::future<std::unique_ptr<WorkingCopy>> copy_;  // its destructor waits for the thread
};

}  // namespace korvath::ui
