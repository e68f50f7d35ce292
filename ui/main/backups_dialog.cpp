#include "ui/main/backups_dialog.h"

// Qt
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

// Korvath
#include "core/save_compare.h"
#include "core/save_image.h"
#include "core/window_texts.h"
#include "core/working_copy.h"
#include "ui/common/core_text.h"
#include "ui/main/comparison.h"
#include "ui/main/guarded.h"

namespace korvath::ui {

namespace {}  // namespace

BackupsDialog::BackupsDialog(QWidget* parent, WorkingCopy& copy, Comparison& comparison,
                             Restore restore)
    : QDialog(parent),
      copy_(copy),
      comparison_(comparison),
      restore_(std::move(restore)),
      list_(new QTableWidget(this)),
      compare_(new QPushButton(ToQString(kCompareAnswer), this)),
      restoreButton_(new QPushButton(ToQString(kRestoreAnswer), this)) {
  setObjectName(QStringLiteral("BackupsDialog"));
  setWindowTitle(ToQString(kBackupsTitle));
  list_->setObjectName(QStringLiteral("BackupList"));
  list_->setColumnCount(int(kBackupHeadings.size()));
  QStringList headings;
  for (const std::string_view heading : kBackupHeadings) headings.append(ToQString(heading));
  list_->setHorizontalHeaderLabels(headings);
  list_->verticalHeader()->hide();
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->horizontalHeader()->setStretchLastSection(true);
  compare_->setObjectName(QStringLiteral("BackupCompareButton"));
  restoreButton_->setObjectName(QStringLiteral("BackupRestoreButton"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
  buttons->addButton(compare_, QDialogButtonBox::ActionRole);
  buttons->addButton(restoreButton_, QDialogButtonBox::ActionRole);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(list_);
  layout->addWidget(buttons);
  resize(420, 320);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(compare_, &QPushButton::clicked, this, &BackupsDialog::CompareClick);
  connect(restoreButton_, &QPushButton::clicked, this, &BackupsDialog::RestoreClick);
  connect(list_, &QTableWidget::itemSelectionChanged, this, [this] {
    compare_->setEnabled(Chosen() >= 0);
    restoreButton_->setEnabled(Chosen() >= 0);
  });
}

void BackupsDialog::Refresh() {
  RunGuarded(this, [&] {
    backups_ = ListBackups(
        BackupRoot(), QFile::encodeName(QString::fromStdString(copy_.Image().Path)).toStdString());
    list_->clearContents();
    list_->setRowCount(int(backups_.size()));
    // One copy of our own to open each backup in, compared with the editor's as 比較 would.
    WorkingCopy other(copy_.LabelsAsRead());
    for (int row = 0; row < int(backups_.size()); ++row) {
      const StoredBackup& backup = backups_[std::size_t(row)];
      const auto bytes = ReadWholeFile(backup.Path, SaveImage::Capacity);
      const QString differences = bytes && other.Open(*bytes, backup.Path.string())
                                      ? QString::number(CompareSaves(other, copy_).size())
                                      : QStringLiteral("-");
      const QString cells[] = {TimeText(backup.Time), QString::number(backup.Size), differences};
      for (int column = 0; column < 3; ++column)
        list_->setItem(row, column, new QTableWidgetItem(cells[column]));
    }
    list_->resizeColumnsToContents();
    if (backups_.empty()) {
      list_->setRowCount(1);
      list_->setItem(0, 0, new QTableWidgetItem(ToQString(kNoBackups)));
      list_->item(0, 0)->setFlags(Qt::NoItemFlags);
    } else {
      list_->selectRow(0);
    }
    compare_->setEnabled(Chosen() >= 0);
    restoreButton_->setEnabled(Chosen() >= 0);
  });
}

QString BackupsDialog::TimeText(std::int64_t unixMillis) {
  return QDateTime::fromMSecsSinceEpoch(unixMillis)
      .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

int BackupsDialog::Chosen() const {
  const auto rows = list_->selectionModel()->selectedRows();
  if (rows.isEmpty() || rows.first().row() >= int(backups_.size())) return -1;
  return rows.first().row();
}

void BackupsDialog::CompareClick() {
  const int row = Chosen();
  if (row < 0) return;
  RunGuarded(
      this, [&] { comparison_.Start(QFile::decodeName(backups_[std::size_t(row)].Path.c_str())); });
}

void BackupsDialog::RestoreClick() {
  const int row = Chosen();
  if (row < 0) return;
  const StoredBackup backup = backups_[std::size_t(row)];
  restore_(backup);
}

}  // namespace korvath::ui
