#pragma once

#include <QObject>
#include <string_view>
#include <vector>

#include "core/field_maps.h"

class QWidget;

namespace korvath {
struct ControlValue;
}

namespace korvath::ui {

class Comparison;
class WorkingCopyBridge;

// The edit boxes, check boxes and drop-down lists bound to the working copy. Each control pushes
// the user's every change into the working copy and is refreshed from it whenever its values
// change; no control keeps a value of its own. A control whose value differs from a compared
// save is tinted, with the other save's value in its tooltip.
class BoundControls : public QObject {
  Q_OBJECT

 public:
  BoundControls(WorkingCopyBridge& bridge, const Comparison& comparison, QObject* parent);

  // The control of a map entry, named after it, with its hint as tooltip. nullptr for a kind
  // that is not a single control (tables and the check list) and for a list no rule reads.
  QWidget* Create(const MainFieldEntry& entry, QWidget* parent);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* CreateEdit(const MainFieldEntry& entry, QWidget* parent);
  QWidget* CreateCheckBox(const MainFieldEntry& entry, QWidget* parent);
  QWidget* CreateFactionList(const MainFieldEntry& entry, QWidget* parent);
  QWidget* CreateScenarioList(const MainFieldEntry& entry, QWidget* parent);
  // Ends the typing burst of an edit line on Enter, Escape and leaving it.
  void EndTypingOnLeave(QWidget* control);
  void Bind(std::string_view name, QWidget* control,
            void (*show)(QWidget* control, const ControlValue& value));
  struct Bound {
    std::string_view Name;
    QWidget* Control;
    void (*Show)(QWidget* control, const ControlValue& value);
  };

  void Refresh();
  void ShowMarks();
  void ShowMark(const Bound& bound);

  WorkingCopyBridge& bridge_;
  const Comparison& comparison_;
  std::vector<Bound> bound_;
  bool refreshing_ = false;  // set while the controls are being refreshed from the working copy
};

}  // namespace korvath::ui
