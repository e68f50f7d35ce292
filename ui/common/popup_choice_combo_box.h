#pragma once

#include <QComboBox>

namespace korvath::ui {

// An editable drop-down list for which only a choice made in its open list is a choice. Qt also
// reports `activated` when typed text equals an entry on Enter or focus-out, and for the wheel or
// the arrow keys on the closed list; those moves are reported as `strayActivation`, for the owner
// to show its own state again. There is no inline completion, and nothing can be dropped into it.
class PopupChoiceComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit PopupChoiceComboBox(QWidget* parent = nullptr);

  void hidePopup() override;

 signals:
  void chosen(int index);
  void strayActivation();

 private:
  bool closingPopup_ = false;
};

}  // namespace korvath::ui
