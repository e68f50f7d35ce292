#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

// Std
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

class QMainWindow;

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

// The open save as a file the game writes too. It watches the file and its folder (a game may
// rename a new file over it) and looks again whenever a window of the editor is activated. When
// the bytes there differ from those last opened or saved, the file is read again if nothing is
// unsaved, and the user is asked otherwise. Every write goes through here: it never writes over
// bytes the user has not seen or agreed to replace, and keeps the bytes it replaces.
class SharedFile : public QObject {
  Q_OBJECT

 public:
  SharedFile(QMainWindow* window, WorkingCopy& copy);

  // The save at path was just read (opened, or read again) with these bytes.
  void Opened(const QString& path, std::vector<std::uint8_t> bytes);
  // Writes data over the open save; false, having told the user why, when nothing was written.
  bool Write(std::span<const std::uint8_t> data);
  // Looks at the file now.
  void Check();
  void ShowStatus(const QString& text);

 signals:
  // The file must be read again, as an open of the same path.
  void reloadNeeded();

 private:
  void Watch();
  QString Name() const;

  QMainWindow* window_;
  WorkingCopy& copy_;
  QFileSystemWatcher watcher_;
  QTimer pending_;  // one look after a burst of changes
  QString path_;
  std::vector<std::uint8_t> seen_;  // what was last opened or saved
  // Bytes the user chose to keep editing over; not asked about again.
  std::optional<std::vector<std::uint8_t>> declined_;
  bool missing_ = false;
  bool asking_ = false;
};

}  // namespace korvath::ui
