#include "ui/common/quit_after_show.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace korvath::ui {

void QuitAfterShow(QWidget* window) {
  auto* poll = new QTimer(window);
  poll->setInterval(1);
  const QDeadlineTimer patience(10000);  // a display that never shows it still gets an answer
  QObject::connect(poll, &QTimer::timeout, window, [window, poll, patience] {
    const QWindow* handle = window->windowHandle();
    if (handle && !handle->isExposed() && !patience.hasExpired()) return;
    poll->stop();
    // The title as shown: "[*]" stands for the unsaved-changes mark.
    QString title = window->windowTitle();
    title.replace(QLatin1String("[*]"),
                  window->isWindowModified() ? QStringLiteral("*") : QString());
    std::printf("%s\n", title.toUtf8().constData());
    QCoreApplication::exit(handle && handle->isExposed() ? 0 : 1);
  });
  poll->start();
}

}  // namespace korvath::ui
