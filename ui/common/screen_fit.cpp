#include "ui/common/screen_fit.h"

// Qt
#include <QApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

// Std
#include <algorithm>
#include <cmath>
#include <optional>

namespace korvath::ui {

namespace {

// A title bar and thin borders, as window managers draw them, until the real frame is known.
constexpr QMargins kEstimatedFrame{4, 32, 4, 4};

// The frame of the last window that was drawn: the next window will most likely get the same.
std::optional<QMargins> learnedFrame;

// The available area in the window system's coordinates. At a fractional scale the last pixel
// may be only part of one, and a window ending there reaches past the screen's edge.
QRect Available(const QScreen* screen) {
  QRect available = screen->availableGeometry();
  const qreal ratio = screen->devicePixelRatio();
  if (ratio != std::floor(ratio)) available.adjust(0, 0, -1, -1);
  return available;
}

class ScreenFit : public QObject {
 public:
  explicit ScreenFit(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == window_ && event->type() == QEvent::Show) {
      asked_ = QRect(window_->pos(), window_->size());
      framed_ = false;
      Fit();
      // The window manager frames the window before it is first drawn.
      if (QWindow* handle = window_->windowHandle(); handle && handle != handle_) {
        handle_ = handle;
        handle->installEventFilter(this);
      }
    } else if (watched == handle_ && event->type() == QEvent::Expose && !framed_ &&
               handle_->isExposed()) {
      framed_ = true;
      learnedFrame = handle_->frameMargins();
      // Platforms differ in where a move before the first drawing puts the window.
      const QScreen* screen = window_->screen();
      if (*learnedFrame != used_ ||
          (screen && !Available(screen).contains(handle_->frameGeometry()))) {
        Fit();
      }
    }
    return false;
  }

 private:
  void Fit() {
    const QScreen* screen = window_->screen();
    if (!screen) return;
    used_ = framed_ ? handle_->frameMargins() : learnedFrame.value_or(kEstimatedFrame);
    const QRect frame =
        FitFrame(QRect(asked_.topLeft(), asked_.size().grownBy(used_)), used_, Available(screen));
    const QSize client = frame.size().shrunkBy(used_);
    window_->setMinimumSize(window_->minimumSize().boundedTo(client));
    if (client != window_->size()) window_->resize(client);
    if (framed_) {
      if (frame.topLeft() != handle_->framePosition()) handle_->setFramePosition(frame.topLeft());
    } else {
      // The window has no frame yet: a move places its client area.
      window_->move(frame.topLeft() + QPoint(used_.left(), used_.top()));
    }
  }

  QWidget* window_;
  QWindow* handle_ = nullptr;
  QRect asked_;  // frame position and client size
  QMargins used_;
  bool framed_ = false;
};

}  // namespace

QRect FitFrame(const QRect& frame, const QMargins& margins, const QRect& available) {
  // The client area keeps at least one pixel, however small the screen.
  const QSize least = QSize(1, 1).grownBy(margins);
  const QSize size = frame.size().boundedTo(available.size()).expandedTo(least);
  const int x = std::clamp(frame.x(), available.left(),
                           std::max(available.left(), available.right() + 1 - size.width()));
  const int y = std::clamp(frame.y(), available.top(),
                           std::max(available.top(), available.bottom() + 1 - size.height()));
  return {QPoint(x, y), size};
}

void KeepInsideScreen(QWidget* window) { new ScreenFit(window); }

}  // namespace korvath::ui
