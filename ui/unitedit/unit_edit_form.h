#pragma once

#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTabBar;
class QToolButton;
class QWindow;

namespace korvath {
class UnitEditorModel;
class WorkingCopy;
namespace ui {
class PopupChoiceComboBox;
}
}  // namespace korvath

// The unit editor window: edits one unit slot of one force through the main window's tables.
// Every control mirrors the presentation model; user actions go to the model, and the controls
// are then brought in line with it.
class TUnitEditForm : public QWidget {
  Q_OBJECT

 public:
  explicit TUnitEditForm(korvath::WorkingCopy& workingCopy, QWidget* parent = nullptr);
  ~TUnitEditForm() override;

  // Makes the controls, once: they take longer than the whole main window, so they are made when
  // the window is first shown, or earlier when the main window has time for them.
  void Build();
  bool Built() const { return content_ != nullptr; }
  void setVisible(bool visible) override;

  // The main window's undo or redo, run from this window, changed the tables under it: it shows
  // them at once, as its next activation would otherwise.
  void ShowChangedTables();

 protected:
  void changeEvent(QEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  void ConnectControls();
  // Runs one event of the model, shows an escaping error, then updates every control.
  void Handle(const std::function<void()>& event);
  void SyncControls();
  void Commit();

  std::unique_ptr<korvath::UnitEditorModel> model_;

  QWidget* content_ = nullptr;  // the controls, in a scroll area
  QTabBar* tabControl_ = nullptr;
  std::array<QLineEdit*, 12> edits_{};
  std::array<korvath::ui::PopupChoiceComboBox*, 9> combos_{};
  std::array<QCheckBox*, 6> checkBoxes_{};
  std::array<QPushButton*, 8> buttons_{};
  QToolButton* spinUp_ = nullptr;
  QToolButton* spinDown_ = nullptr;

  bool syncing_ = false;
  // Returning from our own message box is no activation: it would reload the unit and throw
  // away the input the message asks the user to correct.
  bool inOwnMessage_ = false;
  bool deactivatedByMessage_ = false;
  bool skipActivation_ = false;
  // The window of this program that had the focus last. When that is the editor itself, the
  // activation is a return from another program: the user never left the editor, so the unit is
  // not reloaded over the input.
  QPointer<QWindow> lastFocusWindow_;
};
