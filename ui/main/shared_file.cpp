#include "ui/main/shared_file.h"

// Qt
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <QWindow>

// Std
#include <filesystem>

// Korvath
#include "core/file_io.h"
#include "core/save_image.h"
#include "core/window_texts.h"
#include "core/working_copy.h"
#include "ui/common/core_text.h"
#include "ui/common/user_dialogs.h"

namespace korvath::ui {

namespace {

std::filesystem::path Native(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

// The status bar is made only when there is something to say, so the pages keep their height.
QStatusBar* ExistingStatusBar(QMainWindow* window) {
  return window->findChild<QStatusBar*>(QString(), Qt::FindDirectChildrenOnly);
}

// A game writes in several steps; one look once they are over.
constexpr int kSettleMs = 150;

}  // namespace

SharedFile::SharedFile(QMainWindow* window, WorkingCopy& copy)
    : QObject(window), window_(window), copy_(copy) {
  pending_.setSingleShot(true);
  pending_.setInterval(kSettleMs);
  connect(&pending_, &QTimer::timeout, this, &SharedFile::Check);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, &pending_, qOverload<>(&QTimer::start));
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, &pending_, qOverload<>(&QTimer::start));
  // Any window of the editor coming to the front: the game may have saved meanwhile.
  connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* focused) {
    if (focused) pending_.start(0);
  });
}

QString SharedFile::Name() const { return QFileInfo(path_).fileName(); }

void SharedFile::ShowStatus(const QString& text) {
  window_->statusBar()->show();
  window_->statusBar()->showMessage(text);
}

// The file itself, re-added when a new file took its name, and the folders a rename happens in.
void SharedFile::Watch() {
  const QFileInfo info(path_);
  QStringList paths = {info.absolutePath()};
  if (info.exists()) {
    paths.append(path_);
    const QString target = info.canonicalFilePath();
    if (!target.isEmpty()) paths.append(QFileInfo(target).absolutePath());
  }
  for (const QString& path : paths) {
    if (!watcher_.files().contains(path) && !watcher_.directories().contains(path))
      watcher_.addPath(path);
  }
}

void SharedFile::Opened(const QString& path, std::vector<std::uint8_t> bytes) {
  if (path != path_) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  }
  path_ = path;
  seen_ = std::move(bytes);
  declined_.reset();
  missing_ = false;
  if (QStatusBar* bar = ExistingStatusBar(window_)) bar->clearMessage();
  Watch();
}

void SharedFile::Check() {
  if (path_.isEmpty() || asking_) return;
  Watch();
  if (!QFileInfo::exists(path_)) {
    if (!missing_) ShowStatus(ToQString(kMissingStatus).arg(Name()));
    missing_ = true;
    return;
  }
  if (QStatusBar* bar = ExistingStatusBar(window_); bar && missing_) bar->clearMessage();
  missing_ = false;
  // Unreadable or too large: the next save's own look finds it.
  const auto now = ReadWholeFile(Native(path_), SaveImage::Capacity);
  if (!now || CompareTarget(*now, seen_) != TargetState::Changed) {
    if (now) declined_.reset();
    return;
  }
  if (declined_ == now) return;
  if (copy_.IsAtSavePoint()) {
    emit reloadNeeded();
    ShowStatus(ToQString(kReloadedStatus));
    return;
  }
  asking_ = true;
  const int answer = Dialogs().Ask(window_, ToQString(kChangedOnDiskQuestion).arg(Name()),
                                   {ToQString(kReloadAnswer), ToQString(kKeepEditingAnswer)}, 0, 1);
  asking_ = false;
  if (answer == 0) {
    emit reloadNeeded();
    ShowStatus(ToQString(kReloadedStatus));
  } else {
    declined_ = now;
  }
}

bool SharedFile::Write(std::span<const std::uint8_t> data) {
  const std::filesystem::path path = Native(path_);
  SaveResult result = WriteSave(path, {data, std::span<const std::uint8_t>(seen_), BackupRoot()});
  if (result.Failure == WriteFailure::Changed) {
    asking_ = true;
    const int answer = Dialogs().Ask(window_, ToQString(kOverwriteQuestion).arg(Name()),
                                     {ToQString(kOverwriteAnswer), ToQString(kCancelAnswer)}, 1, 1);
    asking_ = false;
    if (answer != 0) return false;
    // What the user agreed to replace is what is there now; anything newer is asked about again.
    const auto now = ReadWholeFile(path, SaveImage::Capacity);
    result = WriteSave(
        path, {data, now ? std::optional<std::span<const std::uint8_t>>(*now) : std::nullopt,
               BackupRoot()});
  }
  if (result.Failure) {
    Dialogs().ShowMessage(window_, QMessageBox::Warning,
                          ToQString(kWriteError) + QLatin1Char('\n') + path_ + QLatin1Char('\n') +
                              ToQString(WriteFailureText(*result.Failure)));
    return false;
  }
  seen_.assign(data.begin(), data.end());
  declined_.reset();
  missing_ = false;
  if (result.BackupFailure) {
    ShowStatus(ToQString(kNoBackupKept).arg(ToQString(WriteFailureText(*result.BackupFailure))));
  } else if (QStatusBar* bar = ExistingStatusBar(window_)) {
    bar->clearMessage();
  }
  Watch();
  return true;
}

}  // namespace korvath::ui
