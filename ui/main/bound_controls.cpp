#include "ui/main/bound_controls.h"

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>

// Std
#include <array>

// Korvath
#include "core/table_codecs.h"
#include "core/working_copy.h"
#include "ui/common/core_text.h"
#include "ui/common/wheel_guard.h"
#include "ui/main/comparison.h"
#include "ui/main/guarded.h"
#include "ui/main/working_copy_bridge.h"

namespace korvath::ui {

namespace {

static_assert(kFactionCaptions.size() == std::size_t(korvath::kFactionItems),
              "the list must offer exactly the items the faction rule reads and writes");

void ShowEdit(QWidget* control, const ControlValue& value) {
  auto* edit = static_cast<QLineEdit*>(control);
  const QString text = QString::fromStdString(value.Text);
  // setText would move the cursor of a user who is typing, so only a real change is applied.
  if (edit->text() != text) edit->setText(text);
}

void ShowCheckBox(QWidget* control, const ControlValue& value) {
  static_cast<QCheckBox*>(control)->setChecked(value.Checked);
}

void ShowFactionList(QWidget* control, const ControlValue& value) {
  static_cast<QComboBox*>(control)->setCurrentIndex(value.ItemIndex);
}

void ShowScenarioList(QWidget* control, const ControlValue& value) {
  auto* list = static_cast<QComboBox*>(control);
  if (value.ItemIndex >= 0) {
    if (list->currentIndex() != value.ItemIndex) list->setCurrentIndex(value.ItemIndex);
    const QString caption = list->itemText(value.ItemIndex);
    if (list->currentText() != caption) list->setEditText(caption);
    return;
  }
  // A typed text that selects no item: leave the list alone while it already shows that text,
  // since resetting the index would clear the line under the user's cursor.
  const QString text = QString::fromStdString(value.Text);
  if (list->currentText() == text) return;
  list->setCurrentIndex(-1);
  list->setEditText(text);
}

}  // namespace

BoundControls::BoundControls(WorkingCopyBridge& bridge, const Comparison& comparison,
                             QObject* parent)
    : QObject(parent), bridge_(bridge), comparison_(comparison) {
  connect(&bridge_, &WorkingCopyBridge::controlsChanged, this, &BoundControls::Refresh);
  connect(&comparison_, &Comparison::changed, this, &BoundControls::ShowMarks);
}

QWidget* BoundControls::Create(const MainFieldEntry& entry, QWidget* parent) {
  QWidget* control = nullptr;
  switch (entry.Kind) {
    case ControlKind::Edit:
      control = CreateEdit(entry, parent);
      break;
    case ControlKind::CheckBox:
      control = CreateCheckBox(entry, parent);
      break;
    case ControlKind::ComboBox:
      switch (ListRuleOf(entry.Control)) {
        case ListRule::Faction:
          control = CreateFactionList(entry, parent);
          break;
        case ListRule::Scenario:
          control = CreateScenarioList(entry, parent);
          break;
        case ListRule::None:
          return nullptr;
      }
      break;
    case ControlKind::CheckList:
    case ControlKind::StringGrid:
      return nullptr;
  }
  control->setObjectName(ToQString(entry.Control));
  if (!entry.Hint.empty()) control->setToolTip(ToQString(entry.Hint));
  return control;
}

QWidget* BoundControls::CreateEdit(const MainFieldEntry& entry, QWidget* parent) {
  auto* edit = new QLineEdit(parent);
  // A file dropped on the window is one to open, not text for the box.
  edit->setAcceptDrops(false);
  const std::string_view name = entry.Control;
  connect(edit, &QLineEdit::textChanged, this, [this, edit, name](const QString& text) {
    if (refreshing_) return;
    RunGuarded(edit, [&] { bridge_.Copy().SetEditText(name, text.toStdString()); });
  });
  EndTypingOnLeave(edit);
  Bind(name, edit, &ShowEdit);
  return edit;
}

QWidget* BoundControls::CreateCheckBox(const MainFieldEntry& entry, QWidget* parent) {
  auto* box = new QCheckBox(ToQString(entry.Caption), parent);
  const std::string_view name = entry.Control;
  connect(box, &QCheckBox::toggled, this, [this, box, name](bool checked) {
    if (refreshing_) return;
    RunGuarded(box, [&] { bridge_.Copy().SetChecked(name, checked); });
  });
  Bind(name, box, &ShowCheckBox);
  return box;
}

QWidget* BoundControls::CreateFactionList(const MainFieldEntry& entry, QWidget* parent) {
  auto* list = new QComboBox(parent);
  IgnoreWheelUnlessFocused(list);
  for (std::string_view item : kFactionCaptions) list->addItem(ToQString(item));
  list->setMaxVisibleItems(int(kFactionCaptions.size()));
  const std::string_view name = entry.Control;
  connect(list, &QComboBox::currentIndexChanged, this, [this, list, name](int index) {
    if (refreshing_) return;
    RunGuarded(list, [&] { bridge_.Copy().SetItemIndex(name, index); });
  });
  Bind(name, list, &ShowFactionList);
  return list;
}

QWidget* BoundControls::CreateScenarioList(const MainFieldEntry& entry, QWidget* parent) {
  auto* list = new QComboBox(parent);
  list->setEditable(true);
  list->setInsertPolicy(QComboBox::NoInsert);
  // Inline completion would rewrite the line while the user types into it.
  list->setCompleter(nullptr);
  list->lineEdit()->setAcceptDrops(false);
  IgnoreWheelUnlessFocused(list);
  for (std::string_view item : kScenarioItems) list->addItem(ToQString(item));
  const std::string_view name = entry.Control;
  // Choosing an item puts its caption into the line, so the text covers both ways of choosing.
  connect(list, &QComboBox::editTextChanged, this, [this, list, name](const QString& text) {
    if (refreshing_) return;
    RunGuarded(list, [&] { bridge_.Copy().SetComboText(name, text.toStdString()); });
  });
  EndTypingOnLeave(list);
  EndTypingOnLeave(list->lineEdit());
  // A choice from the list ends the step (with any typing just before it in the same line).
  connect(list, &QComboBox::activated, this, [this] { bridge_.Copy().EndTyping(); });
  Bind(name, list, &ShowScenarioList);
  return list;
}

void BoundControls::EndTypingOnLeave(QWidget* control) { control->installEventFilter(this); }

bool BoundControls::eventFilter(QObject* watched, QEvent* event) {
  // The keystrokes since the box was entered, or since the last Enter or Escape, are one step of
  // the history: a player who pressed Escape and types again expects to undo only the new text.
  // editingFinished is no use here: it misses Escape, and a focus change that left the text as
  // it was at the last Enter.
  // An editable list hands its keys to its line by direct calls, so both are watched. A popup
  // (the box's own menu) does not leave the box.
  bool ends = event->type() == QEvent::FocusOut &&
              static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
  if (event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    ends = key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter;
  }
  if (ends) bridge_.Copy().EndTyping();
  return QObject::eventFilter(watched, event);
}

void BoundControls::Bind(std::string_view name, QWidget* control,
                         void (*show)(QWidget* control, const ControlValue& value)) {
  bound_.push_back({name, control, show});
  const QScopedValueRollback guard(refreshing_, true);
  show(control, bridge_.Copy().Control(name));
  // A page built while a comparison runs shows its marks from the start.
  if (comparison_.Active()) ShowMark(bound_.back());
}

void BoundControls::Refresh() {
  const QScopedValueRollback guard(refreshing_, true);
  for (const Bound& bound : bound_) bound.Show(bound.Control, bridge_.Copy().Control(bound.Name));
}

void BoundControls::ShowMarks() {
  for (const Bound& bound : bound_) ShowMark(bound);
}

void BoundControls::ShowMark(const Bound& bound) {
  const MainFieldEntry* entry = FindMainField(bound.Name);
  const QString hint = entry ? ToQString(entry->Hint) : QString();
  QWidget* control = bound.Control;
  if (const SaveDifference* d = comparison_.AtControl(bound.Name)) {
    QPalette tinted = control->palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window}) {
      tinted.setBrush(role, Comparison::MarkBrush());
    }
    control->setPalette(tinted);
    control->setAutoFillBackground(true);  // a check box paints no background otherwise
    control->setToolTip(comparison_.ToolTip(*d, hint));
  } else {
    control->setPalette(QPalette());
    control->setAutoFillBackground(false);
    control->setToolTip(hint);
  }
}

}  // namespace korvath::ui
