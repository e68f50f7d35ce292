#pragma once

#include <QObject>

class QAction;
class QLabel;
class QMainWindow;
class QMenu;

namespace korvath {
class WorkingCopy;
}

namespace korvath::ui {

class Comparison;

// The file menu's comparison items, placed before `before`, and the status bar line that counts
// the differences. The status bar shows only while a comparison runs.
class ComparisonCommands : public QObject {
  Q_OBJECT

 public:
  ComparisonCommands(QMainWindow* window, QMenu* fileMenu, QAction* before, WorkingCopy& copy,
                     Comparison& comparison);

  // 比較: it needs an open file, like the other file commands.
  QAction* StartAction() const { return start_; }

 private:
  void StartClick();
  void StepClick(bool forward);
  void Follow();

  QMainWindow* window_;
  WorkingCopy& copy_;
  Comparison& comparison_;
  QAction* start_ = nullptr;
  QAction* next_ = nullptr;
  QAction* previous_ = nullptr;
  QAction* end_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace korvath::ui
