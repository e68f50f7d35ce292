#include "ui/main/comparison_commands.h"

// Qt
#include <QAction>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QStatusBar>

// Korvath
#include "core/window_texts.h"
#include "core/working_copy.h"
#include "ui/common/user_dialogs.h"
#include "ui/main/comparison.h"
#include "ui/main/guarded.h"

namespace korvath::ui {

namespace {

const QString kReadError =
    QString::fromUtf8(korvath::kReadError.data(), qsizetype(korvath::kReadError.size()));
const QString kSaveFilter = QStringLiteral("bin (*.bin)");

QString Caption(std::string_view name) {
  const std::string_view text = korvath::MenuCaption(name);
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace

ComparisonCommands::ComparisonCommands(QMainWindow* window, QMenu* fileMenu, QAction* before,
                                       WorkingCopy& copy, Comparison& comparison)
    : QObject(window), window_(window), copy_(copy), comparison_(comparison) {
  auto add = [&](const char* name, const QString& caption, const QKeySequence& shortcut) {
    auto* action = new QAction(caption, fileMenu);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    fileMenu->insertAction(before, action);
    return action;
  };
  fileMenu->insertSeparator(before)->setObjectName(QStringLiteral("N3"));
  start_ = add("FileCompareMenu", Caption("FileCompareMenu"), {});
  next_ = add("FileNextDiffMenu", Caption("FileNextDiffMenu"), QKeySequence(Qt::Key_F3));
  previous_ =
      add("FilePrevDiffMenu", Caption("FilePrevDiffMenu"), QKeySequence(Qt::SHIFT | Qt::Key_F3));
  end_ = add("FileCompareEndMenu", Caption("FileCompareEndMenu"), {});
  start_->setEnabled(false);
  connect(start_, &QAction::triggered, this, &ComparisonCommands::StartClick);
  connect(next_, &QAction::triggered, this, [this] { StepClick(true); });
  connect(previous_, &QAction::triggered, this, [this] { StepClick(false); });
  connect(end_, &QAction::triggered, &comparison_, &Comparison::End);
  connect(&comparison_, &Comparison::changed, this, &ComparisonCommands::Follow);
  Follow();
}

void ComparisonCommands::StartClick() {
  RunGuarded(window_, [&] {
    if (!copy_.Image().Loaded) return;
    const QString path = Dialogs().GetOpenFileName(window_, kSaveFilter);
    if (path.isEmpty()) return;
    if (!comparison_.Start(path)) {
      Dialogs().ShowMessage(window_, QMessageBox::Warning, kReadError + QLatin1Char('\n') + path);
    }
  });
}

void ComparisonCommands::StepClick(bool forward) {
  RunGuarded(window_, [&] {
    if (const SaveDifference* d = comparison_.Step(forward)) ShowDifference(window_, copy_, *d);
  });
}

void ComparisonCommands::Follow() {
  const bool active = comparison_.Active();
  for (QAction* action : {next_, previous_, end_}) action->setEnabled(active);
  if (!active) {
    // Never created for a user who does not compare, so the pages keep their height.
    if (status_) window_->statusBar()->hide();
    return;
  }
  if (!status_) {
    status_ = new QLabel(window_->statusBar());
    status_->setObjectName(QStringLiteral("ComparisonStatus"));
    window_->statusBar()->addWidget(status_, 1);
  }
  status_->setText(comparison_.StatusText());
  window_->statusBar()->show();
}

}  // namespace korvath::ui
