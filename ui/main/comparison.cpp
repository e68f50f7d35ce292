#include "ui/main/comparison.h"

// Qt
#include <QColor>
#include <QFile>
#include <QFileInfo>
#include <QListView>

// Std
#include <algorithm>
#include <filesystem>

// Korvath
#include "core/comparison_status.h"
#include "core/file_io.h"
#include "core/working_copy.h"
#include "ui/common/core_text.h"
#include "ui/main/grid_model.h"
#include "ui/main/grid_view.h"
#include "ui/main/guarded.h"
#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

namespace {

long long CellKey(GridId grid, int row, int column) {
  return ((static_cast<long long>(grid) << 32) | (static_cast<long long>(row) << 8)) + column;
}

}  // namespace

Comparison::Comparison(WorkingCopyBridge& bridge, QObject* parent)
    : QObject(parent), bridge_(bridge) {
  pending_.setSingleShot(true);
  pending_.setInterval(0);
  connect(&pending_, &QTimer::timeout, this, &Comparison::Recompute);
  connect(&bridge_, &WorkingCopyBridge::gridChanged, this, &Comparison::Invalidate);
  connect(&bridge_, &WorkingCopyBridge::cellChanged, this, &Comparison::Invalidate);
  connect(&bridge_, &WorkingCopyBridge::controlsChanged, this, &Comparison::Invalidate);
  // Every change of a control or a check-list line is a step of the history, or part of one.
  connect(&bridge_, &WorkingCopyBridge::historyChanged, this, &Comparison::Invalidate);
}

Comparison::~Comparison() = default;

bool Comparison::Start(const QString& path) {
  const auto bytes = ReadWholeFile(std::filesystem::path(QFile::encodeName(path).toStdString()),
                                   SaveImage::Capacity);
  if (!bytes) return false;
  // The labels read at start-up: the files may have changed or gone since.
  auto other = std::make_unique<WorkingCopy>(bridge_.Copy().LabelsAsRead());
  if (!other->Open(*bytes, path.toStdString())) return false;
  other_ = std::move(other);
  otherName_ = QFileInfo(path).fileName();
  cursor_ = -1;
  Recompute();
  return true;
}

void Comparison::End() {
  pending_.stop();
  const bool wasActive = Active();
  other_.reset();
  differences_.clear();
  cells_.clear();
  controls_.clear();
  lines_.clear();
  cursor_ = -1;
  if (wasActive) emit changed();
}

void Comparison::Invalidate() {
  if (Active()) pending_.start();
}

void Comparison::Update() {
  if (!pending_.isActive()) return;
  pending_.stop();
  Recompute();
}

void Comparison::Recompute() {
  if (!Active()) return;
  // Runs from the event loop, which no exception may reach.
  RunGuarded(nullptr, [&] { differences_ = CompareSaves(bridge_.Copy(), *other_); });
  cells_.clear();
  controls_.clear();
  lines_.clear();
  for (std::size_t i = 0; i < differences_.size(); ++i) {
    const SaveDifference& d = differences_[i];
    switch (d.Kind) {
      case DifferenceKind::Control:
        controls_.emplace(d.Control, i);
        break;
      case DifferenceKind::Cell:
        cells_.emplace(CellKey(d.Grid, d.Row, d.Column), i);
        // The name beside a number is marked with it.
        if (d.NameColumn >= 0) cells_.emplace(CellKey(d.Grid, d.Row, d.NameColumn), i);
        break;
      case DifferenceKind::CheckListLine:
        lines_.emplace(d.Line, i);
        break;
      case DifferenceKind::Bytes:
      case DifferenceKind::Length:
        break;
    }
  }
  emit changed();
}

const SaveDifference* Comparison::AtCell(GridId grid, int row, int column) const {
  const auto it = cells_.find(CellKey(grid, row, column));
  return it == cells_.end() ? nullptr : &differences_[it->second];
}

const SaveDifference* Comparison::AtControl(std::string_view control) const {
  const auto it = controls_.find(control);
  return it == controls_.end() ? nullptr : &differences_[it->second];
}

const SaveDifference* Comparison::AtLine(int line) const {
  const auto it = lines_.find(line);
  return it == lines_.end() ? nullptr : &differences_[it->second];
}

bool Comparison::IsShown(const SaveDifference& d) const {
  return IsDifferenceShown(d, bridge_.Copy());
}

const SaveDifference* Comparison::Step(bool forward) {
  Update();
  const SaveDifference* found = StepDifference(differences_, cursor_, forward, bridge_.Copy());
  if (found) {
    cursor_ = found->Order;
    emit changed();
  }
  return found;
}

QString Comparison::ToolTip(const SaveDifference& d, const QString& hint) const {
  return QString::fromStdString(ComparisonToolTip(otherName_.toStdString(), d, hint.toStdString()));
}

QString Comparison::StatusText() const {
  if (!Active()) return {};
  return QString::fromStdString(
      ComparisonStatusText(otherName_.toStdString(), differences_, cursor_, bridge_.Copy()));
}

QBrush Comparison::MarkBrush() { return QBrush(QColor(0xFF, 0xD8, 0x9C)); }

void ShowDifference(QWidget* window, WorkingCopy& copy, const SaveDifference& d) {
  copy.SetActivePage(d.Page);
  const QString name = ToQString(d.Control);
  switch (d.Kind) {
    case DifferenceKind::Cell:
      copy.SetCurrentCell(d.Grid, d.Row, d.Column);
      for (GridView* view : window->findChildren<GridView*>()) {
        if (view->Grid() != d.Grid) continue;
        view->scrollTo(view->model()->index(d.Row - 1, d.Column));
        view->setFocus(Qt::ShortcutFocusReason);
      }
      break;
    case DifferenceKind::CheckListLine:
      if (auto* list = window->findChild<QListView*>(name)) {
        const QModelIndex line = list->model()->index(d.Line, 0);
        list->setCurrentIndex(line);
        list->scrollTo(line);
        list->setFocus(Qt::ShortcutFocusReason);
      }
      break;
    case DifferenceKind::Control:
      if (auto* control = window->findChild<QWidget*>(name)) {
        control->setFocus(Qt::ShortcutFocusReason);
      }
      break;
    case DifferenceKind::Bytes:
    case DifferenceKind::Length:
      break;
  }
}

}  // namespace korvath::ui
