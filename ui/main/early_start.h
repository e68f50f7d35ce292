#pragma once

#include <pthread.h>

#include <future>
#include <memory>
#include <optional>

#include "core/label_folders.h"
#include "core/working_copy.h"

namespace korvath::ui {

// The start-up work that needs no display, done on a second thread while QApplication connects
// to it: fontconfig's set-up (reading its configuration and caches, which the first font waits
// for) and the working copy built from the label folders. Made before the QApplication.
class EarlyStart {
 public:
  using Work = std::packaged_task<std::unique_ptr<WorkingCopy>()>;

  explicit EarlyStart(LabelSearch search);
  ~EarlyStart() { Wait(); }
  EarlyStart(const EarlyStart&) = delete;
  EarlyStart& operator=(const EarlyStart&) = delete;

  // Until the thread has ended: the process must not leave (Qt's option parsing may) under it.
  void Wait();
  // The working copy, once built; or rethrows what building it threw (StartupError when no label
  // folder will do).
  std::unique_ptr<WorkingCopy> TakeCopy();

 private:
  Work work_;
  std::future<std::unique_ptr<WorkingCopy>> copy_;
  std::optional<pthread_t> thread_;  // none once joined, or when the work runs in turn
};

}  // namespace korvath::ui
