#pragma once

#include <QAbstractListModel>

namespace korvath::ui {

class Comparison;
class WorkingCopyBridge;

// The special-plan check list of the working copy: one line per entry of the special list, the
// header lines shown as section headings without a check box. Lines that differ from a
// compared save are tinted, with the other save's value as tooltip.
class CheckListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  CheckListModel(WorkingCopyBridge& bridge, const Comparison& comparison, QObject* parent);

 public:  // QAbstractItemModel API
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

 private:
  WorkingCopyBridge& bridge_;
  const Comparison& comparison_;
};

}  // namespace korvath::ui
