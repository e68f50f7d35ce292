#include "ui/common/quit_after_show.h"

#include <QEvent>
#include <QMetaObject>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace korvath::ui {

namespace {

// Prints the title as shown ("[*]" stands for the unsaved-changes mark) and ends the process:
// taking the windows down again is no part of start-up, and would only blur its time. The clock
// goes to the error output for timers: the process's end is no part of start-up either, and the
// kernel takes 2 to 23 ms to drop a file watch (the open save's) as it ends.
[[noreturn]] void Leave(const QWidget* window, bool shown) {
  if (shown) {
    using std::chrono::microseconds;
    const long long now = std::chrono::duration_cast<microseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    std::fprintf(stderr, "shown at %lld.%06lld\n", now / 1000000, now % 1000000);
  }
  QString title = window->windowTitle();
  title.replace(QLatin1String("[*]"), window->isWindowModified() ? QStringLiteral("*") : QString());
  std::printf("%s\n", title.toUtf8().constData());
  std::fflush(stdout);
  std::_Exit(shown ? 0 : 1);
}

// Leaves right after the first exposure has been handled, and so painted: before anything the
// program put off until then.
class ExposureWatch : public QObject {
 public:
  explicit ExposureWatch(QWidget* window) : QObject(window), window_(window) {}

  void LeaveSoon() {
    QMetaObject::invokeMethod(
        this, [this] { Leave(window_, true); }, Qt::QueuedConnection);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Expose && static_cast<QWindow*>(watched)->isExposed()) {
      watched->removeEventFilter(this);
      LeaveSoon();
    }
    return false;
  }

 private:
  QWidget* window_;
};

}  // namespace

void QuitAfterShow(QWidget* window) {
  auto* watch = new ExposureWatch(window);
  QWindow* handle = window->windowHandle();
  if (handle && handle->isExposed()) {
    watch->LeaveSoon();
  } else if (handle) {
    handle->installEventFilter(watch);
  }
  // A display that never shows it still gets an answer.
  QTimer::singleShot(10000, window, [window] { Leave(window, false); });
}

}  // namespace korvath::ui
