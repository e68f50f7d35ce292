#pragma once

#include <QBrush>
#include <QObject>
#include <QString>
#include <QTimer>

// Std
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

// Korvath
#include "core/grid_layout.h"
#include "core/save_compare.h"

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

class WorkingCopyBridge;

// The save that the working copy is compared with, in a working copy of its own that nothing
// edits, and where the two differ. The differences follow the working copy: any change to it
// has them computed anew once control is back in the event loop, however many cells changed.
class Comparison : public QObject {
  Q_OBJECT

 public:
  Comparison(WorkingCopyBridge& bridge, QObject* parent);
  ~Comparison() override;

  bool Active() const { return other_ != nullptr; }
  // Reads the other save as Open reads one, with the labels read at start-up. False, keeping any
  // earlier comparison, when the file cannot be read.
  bool Start(const QString& path);
  void End();

  // Has the differences computed again once control is back in the event loop.
  void Invalidate();
  // Computes them now, if a change is pending.
  void Update();

  const std::vector<SaveDifference>& Differences() const { return differences_; }
  // The difference shown at a place, nullptr where the two saves agree.
  const SaveDifference* AtCell(GridId grid, int row, int column) const;
  const SaveDifference* AtControl(std::string_view control) const;
  const SaveDifference* AtLine(int line) const;
  // The next or previous difference that the editor shows, after or before the last one
  // stepped to, wrapping round; nullptr when there is none.
  const SaveDifference* Step(bool forward);

  // The tooltip of a marked value, below the value's own hint if it has one.
  QString ToolTip(const SaveDifference& d, const QString& hint = QString()) const;
  QString StatusText() const;
  static QBrush MarkBrush();

 signals:
  // The differences were computed anew, or the comparison started or ended.
  void changed();

 private:
  void Recompute();
  bool IsShown(const SaveDifference& d) const;

  WorkingCopyBridge& bridge_;
  std::unique_ptr<WorkingCopy> other_;
  QString otherName_;
  std::vector<SaveDifference> differences_;
  std::unordered_map<long long, std::size_t> cells_;
  std::unordered_map<std::string_view, std::size_t> controls_;
  std::unordered_map<int, std::size_t> lines_;
  int cursor_ = -1;  // Order of the difference last stepped to
  QTimer pending_;
};

// Moves the window to a difference: its page, then its cell, control or check-list line, which
// takes the focus.
void ShowDifference(QWidget* window, WorkingCopy& copy, const SaveDifference& d);

}  // namespace korvath::ui
