#pragma once

#include <QDialog>

// Std
#include <functional>
#include <vector>

// Korvath
#include "core/file_io.h"

class QPushButton;
class QTableWidget;

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

class Comparison;

// ファイル > バックアップ...: the open save's backups, newest first, with their time and how many
// values differ from the editor's copy; 比較 compares the editor with one, 復元 puts one back.
class BackupsDialog : public QDialog {
  Q_OBJECT

 public:
  using Restore = std::function<void(const StoredBackup&)>;
  BackupsDialog(QWidget* parent, WorkingCopy& copy, Comparison& comparison, Restore restore);

  // Lists the backups anew.
  void Refresh();
  // A backup's time as the list shows it, in local time.
  static QString TimeText(std::int64_t unixMillis);

 private:
  void CompareClick();
  void RestoreClick();
  int Chosen() const;  // the selected row, -1 for none

  WorkingCopy& copy_;
  Comparison& comparison_;
  Restore restore_;
  QTableWidget* list_;
  QPushButton* compare_;
  QPushButton* restoreButton_;
  std::vector<StoredBackup> backups_;
};

}  // namespace korvath::ui
