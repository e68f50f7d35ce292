#include "ui/unitedit/unit_edit_form.h"

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

// Std
#include <exception>
#include <optional>
#include <string>

#include "core/shown_names.h"
#include "core/unit_edit_layout.h"
#include "core/unit_editor.h"
#include "core/window_texts.h"
#include "core/working_copy.h"
#include "ui/common/focus_mark.h"
#include "ui/common/focus_scroll_area.h"
#include "ui/common/fonts.h"
#include "ui/common/popup_choice_combo_box.h"
#include "ui/common/screen_fit.h"
#include "ui/common/user_dialogs.h"
#include "ui/common/wheel_guard.h"

namespace {

using korvath::UnitEditControl;
using korvath::UnitEditKind;
using korvath::UnitEditParent;

// The frame runs through the middle of the caption, so the first row of controls (16 px down)
// sits inside it, not across its top line.
constexpr const char* kGroupBoxStyle =
    "QGroupBox { border: 1px solid palette(mid); border-radius: 2px; margin-top: 6px; }"
    "QGroupBox::title { subcontrol-origin: margin; subcontrol-position: top left; left: 6px;"
    " padding: 0 2px; }";

QString ToQt(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The number at the end of a control name: 12 for "Edit12".
int NumberOf(std::string_view name) {
  std::size_t digits = name.size();
  while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9') --digits;
  int number = 0;
  for (std::size_t i = digits; i < name.size(); ++i) number = number * 10 + (name[i] - '0');
  return number;
}

// Hints stay attached to their controls, but this window never pops them up.
class HintSuppressor : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::ToolTip) return true;
    return QObject::eventFilter(watched, event);
  }
};

// The tab control's pane: the frame below the tabs on which the shared controls lie.
class TabPane : public QWidget {
 public:
  TabPane(const QTabBar* tabs, QWidget* parent) : QWidget(parent), tabs_(tabs) {}

 protected:
  void paintEvent(QPaintEvent*) override {
    QStylePainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    option.rect = rect().adjusted(0, tabs_->height() - overlap, 0, 0);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = tabs_->size();
    option.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
    painter.drawPrimitive(QStyle::PE_FrameTabWidget, option);
  }

 private:
  const QTabBar* tabs_;
};

}  // namespace

TUnitEditForm::TUnitEditForm(korvath::WorkingCopy& workingCopy, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      model_(std::make_unique<korvath::UnitEditorModel>(workingCopy)) {
  setObjectName(QStringLiteral("UnitEditForm"));
  setWindowTitle(ToQt(korvath::kUnitEditorTitle));
  setFont(korvath::ui::WindowFont());
  const QSize size(korvath::kUnitEditClientWidth, korvath::kUnitEditClientHeight);
  setFixedSize(size);
  move(korvath::kUnitEditLeft, korvath::kUnitEditTop);
  korvath::ui::MarkFocusFromStart(this);
  korvath::ui::KeepInsideScreen(this);
}

void TUnitEditForm::Build() {
  if (content_) return;
  // On a screen too small for the window, the controls scroll inside it.
  content_ = new QWidget;
  content_->setFixedSize(korvath::kUnitEditClientWidth, korvath::kUnitEditClientHeight);
  BuildControls();
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new korvath::ui::FocusScrollArea(content_));
  ConnectControls();
  SyncControls();
}

void TUnitEditForm::setVisible(bool visible) {
  if (visible) Build();
  QWidget::setVisible(visible);
}

void TUnitEditForm::ShowChangedTables() {
  if (isVisible() && isActiveWindow()) Handle([this] { model_->Refresh(); });
}

TUnitEditForm::~TUnitEditForm() = default;

void TUnitEditForm::BuildControls() {
  using namespace korvath;
  using namespace korvath::ui;
  tabControl_ = new QTabBar(content_);
  tabControl_->setObjectName(QStringLiteral("TabControl1"));
  tabControl_->setDrawBase(false);
  tabControl_->setExpanding(false);
  // Switching the force reloads the unit over what was typed, so the wheel alone never does.
  korvath::ui::IgnoreWheelUnlessFocused(tabControl_);
  for (std::string_view tab : kUnitEditTabs) tabControl_->addTab(ToQt(tab));
  tabControl_->setGeometry(kTabControlLeft, kTabControlTop, kTabControlWidth,
                           tabControl_->sizeHint().height());
  auto* pane = new TabPane(tabControl_, content_);
  pane->setObjectName(QStringLiteral("TabControl1Page"));
  pane->setGeometry(kTabControlLeft, kTabControlTop, kTabControlWidth, kTabControlHeight);
  pane->lower();

  auto* hints = new HintSuppressor(this);
  std::array<QWidget*, 4> parents = {pane, nullptr, nullptr, nullptr};
  QList<QWidget*> tabOrder = {tabControl_};

  for (const UnitEditControl& c : unit_edit_layout::kControls) {
    QWidget* parent = parents[std::size_t(c.Parent)];
    const QString caption = ToQt(c.Caption);
    const int n = NumberOf(c.Name);
    const int height = DrawnHeight(c);
    QWidget* widget = nullptr;
    switch (c.Kind) {
      case UnitEditKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->move(c.Left, c.Top);
        label->adjustSize();
        widget = label;
        break;
      }
      case UnitEditKind::Edit:
        edits_[std::size_t(n - 1)] = new QLineEdit(parent);
        edits_[std::size_t(n - 1)]->setAcceptDrops(false);
        widget = edits_[std::size_t(n - 1)];
        tabOrder.append(widget);
        break;
      case UnitEditKind::UpDown: {
        widget = new QWidget(parent);
        spinUp_ = new QToolButton(widget);
        spinDown_ = new QToolButton(widget);
        const int half = height / 2;
        for (QToolButton* button : {spinUp_, spinDown_}) {
          button->setAutoRepeat(true);
          button->setFocusPolicy(Qt::NoFocus);
          button->setGeometry(0, button == spinUp_ ? 0 : half, c.Width, half);
          button->setIconSize(QSize(c.Width - 8, half - 4));
        }
        spinUp_->setObjectName(QStringLiteral("UpDown1Up"));
        spinDown_->setObjectName(QStringLiteral("UpDown1Down"));
        spinUp_->setAccessibleName(ToQt(ShownUnitEditName(c, 1)));
        spinDown_->setAccessibleName(ToQt(ShownUnitEditName(c, 2)));
        spinUp_->setArrowType(Qt::UpArrow);
        spinDown_->setArrowType(Qt::DownArrow);
        break;
      }
      case UnitEditKind::GroupBox: {
        auto* group = new QGroupBox(caption, parent);
        group->setStyleSheet(kGroupBoxStyle);
        parents[std::size_t(n)] = group;  // GroupBox1 is the parent of group 1
        widget = group;
        break;
      }
      case UnitEditKind::Bevel: {
        auto* bevel = new QFrame(parent);
        bevel->setFrameShape(QFrame::HLine);
        bevel->setFrameShadow(QFrame::Sunken);
        widget = bevel;
        break;
      }
      case UnitEditKind::Button: {
        auto* button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        buttons_[std::size_t(n - 1)] = button;
        widget = button;
        tabOrder.append(widget);
        break;
      }
      case UnitEditKind::ComboBox: {
        // The model must see exactly what the user typed, and only real choices.
        auto* combo = new korvath::ui::PopupChoiceComboBox(parent);
        combo->setMaxVisibleItems(c.DropDownCount);
        combos_[std::size_t(n - 1)] = combo;
        widget = combo;
        tabOrder.append(widget);
        break;
      }
      case UnitEditKind::CheckBox: {
        auto* check = new QCheckBox(caption, parent);
        checkBoxes_[std::size_t(n - 1)] = check;
        widget = check;
        tabOrder.append(widget);
        break;
      }
    }
    widget->setObjectName(ToQt(c.Name));
    // Screen readers would otherwise read a caption shared by several buttons, or nothing.
    if (const std::string name = ShownUnitEditName(c); !name.empty())
      widget->setAccessibleName(ToQt(name));
    if (c.Kind != UnitEditKind::Label) widget->setGeometry(c.Left, c.Top, c.Width, height);
    if (!c.Hint.empty()) {
      widget->setToolTip(ToQt(c.Hint));
      widget->installEventFilter(hints);
    }
  }
  edits_[0]->installEventFilter(this);
  for (qsizetype i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

void TUnitEditForm::ConnectControls() {
  korvath::UnitEditorModel& m = *model_;
  connect(tabControl_, &QTabBar::currentChanged, this, [this, &m](int index) {
    if (!syncing_) Handle([&] { m.SelectForce(index); });
  });
  // Edit1 reacts to every change of its text, the spin control's included.
  connect(edits_[0], &QLineEdit::textChanged, this, [this, &m](const QString& text) {
    if (!syncing_) Handle([&] { m.SetUnitNumberText(text.toStdString()); });
  });
  for (int i = 1; i < korvath::UnitEditorModel::kEditCount; ++i) {
    connect(edits_[std::size_t(i)], &QLineEdit::textEdited, this, [this, &m, i](const QString& t) {
      Handle([&] { m.SetEditText(i + 1, t.toStdString()); });
    });
  }
  connect(spinUp_, &QToolButton::clicked, this,
          [this, &m] { Handle([&] { m.StepUnitNumber(1); }); });
  connect(spinDown_, &QToolButton::clicked, this,
          [this, &m] { Handle([&] { m.StepUnitNumber(-1); }); });
  for (int i = 0; i < korvath::UnitEditorModel::kComboCount; ++i) {
    korvath::ui::PopupChoiceComboBox* combo = combos_[std::size_t(i)];
    connect(combo, &korvath::ui::PopupChoiceComboBox::chosen, this,
            [this, &m, i](int index) { Handle([&] { m.ChooseEntry(i + 1, index); }); });
    connect(combo, &korvath::ui::PopupChoiceComboBox::strayActivation, this,
            &TUnitEditForm::SyncControls);
    connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, &m, i](const QString& text) {
      Handle([&] { m.TypeText(i + 1, text.toStdString()); });
    });
  }
  for (int i = 0; i < korvath::UnitEditorModel::kCheckBoxCount; ++i) {
    connect(checkBoxes_[std::size_t(i)], &QCheckBox::clicked, this,
            [this, &m, i](bool checked) { Handle([&] { m.ClickCheckBox(i + 1, checked); }); });
  }
  using Click = void (korvath::UnitEditorModel::*)();
  constexpr std::array<Click, 7> kSearchAndMax = {
      &korvath::UnitEditorModel::SearchUnitType,   &korvath::UnitEditorModel::FillMaxDurability,
      &korvath::UnitEditorModel::FillMaxSupplies,  &korvath::UnitEditorModel::SearchCarrier,
      &korvath::UnitEditorModel::SearchPilot,      &korvath::UnitEditorModel::SearchArea,
      &korvath::UnitEditorModel::SearchDestination};
  for (std::size_t i = 0; i < kSearchAndMax.size(); ++i) {
    connect(buttons_[i], &QPushButton::clicked, this,
            [this, &m, click = kSearchAndMax[i]] { Handle([&] { (m.*click)(); }); });
  }
  connect(buttons_[7], &QPushButton::clicked, this, &TUnitEditForm::Commit);

  // Focus that moves on to another visible window after our message box makes the next
  // activation a real return to the editor. Qt reports the new focus window only after the
  // activation events, so changeEvent still sees the window the focus came from.
  connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow* window) {
    if (skipActivation_ && window && window != windowHandle() && window->isVisible()) {
      skipActivation_ = false;
    }
    if (window) lastFocusWindow_ = window;
  });
}

void TUnitEditForm::Handle(const std::function<void()>& event) {
  try {
    event();
  } catch (const std::exception& e) {
    korvath::ui::Dialogs().ShowMessage(this, QMessageBox::Critical, QString::fromUtf8(e.what()));
  }
  SyncControls();
}

void TUnitEditForm::SyncControls() {
  QScopedValueRollback<bool> guard(syncing_, true);
  const korvath::UnitEditorModel& m = *model_;
  {
    const QSignalBlocker block(tabControl_);
    tabControl_->setCurrentIndex(m.TabIndex());
  }
  for (int i = 0; i < korvath::UnitEditorModel::kEditCount; ++i) {
    QLineEdit* edit = edits_[std::size_t(i)];
    const QString text = ToQt(m.EditText(i + 1));
    if (edit->text() == text) continue;
    const QSignalBlocker block(edit);
    edit->setText(text);
  }
  for (int i = 0; i < korvath::UnitEditorModel::kComboCount; ++i) {
    QComboBox* combo = combos_[std::size_t(i)];
    const korvath::ComboBoxState& state = m.Combo(i + 1);
    const QSignalBlocker block(combo);
    const QSignalBlocker blockEdit(combo->lineEdit());
    const int cursor = combo->lineEdit()->cursorPosition();
    const QString shown = combo->currentText();
    bool same = combo->count() == int(state.Items.size());
    for (int k = 0; same && k < combo->count(); ++k) {
      same = combo->itemText(k) == ToQt(state.Items[std::size_t(k)]);
    }
    if (!same) {
      QStringList items;
      items.reserve(qsizetype(state.Items.size()));
      for (const std::string& item : state.Items) items.append(ToQt(item));
      combo->clear();
      combo->addItems(items);
    }
    if (combo->currentIndex() != state.ItemIndex) combo->setCurrentIndex(state.ItemIndex);
    const QString text = ToQt(state.Text);
    if (combo->currentText() != text) combo->setEditText(text);
    // Clearing the selection empties the line, so put back the caret of a text being typed.
    if (text == shown && combo->lineEdit()->hasFocus()) {
      combo->lineEdit()->setCursorPosition(cursor);
    }
  }
  for (int i = 0; i < korvath::UnitEditorModel::kCheckBoxCount; ++i) {
    QCheckBox* check = checkBoxes_[std::size_t(i)];
    const QSignalBlocker block(check);
    check->setChecked(m.Checked(i + 1));
  }
}

void TUnitEditForm::Commit() {
  std::optional<std::string> message;
  Handle([&] { message = model_->Commit(); });
  if (!message) return;
  inOwnMessage_ = true;
  deactivatedByMessage_ = false;
  korvath::ui::Dialogs().ShowMessage(this, QMessageBox::Critical, ToQt(*message));
  inOwnMessage_ = false;
  // The box may hand activation back only after it has gone; that return is skipped too. Ask
  // for it ourselves, as the box's owner, so the skip is used up even without a window manager.
  skipActivation_ = deactivatedByMessage_ && !isActiveWindow();
  if (skipActivation_) activateWindow();
}

bool TUnitEditForm::eventFilter(QObject* watched, QEvent* event) {
  // The arrow keys in Edit1 step like the spin control's arrows.
  if (watched == edits_[0] && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
      Handle([this, key] { model_->StepUnitNumber(key == Qt::Key_Up ? 1 : -1); });
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TUnitEditForm::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() != QEvent::ActivationChange) return;
  if (!isActiveWindow()) {
    if (inOwnMessage_) deactivatedByMessage_ = true;
    return;
  }
  if (inOwnMessage_) return;
  if (skipActivation_) {
    skipActivation_ = false;
    return;
  }
  if (lastFocusWindow_ && lastFocusWindow_ == windowHandle()) return;
  Handle([this] { model_->Activate(); });
}

void TUnitEditForm::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  // Showing the editor again is always an activation, whatever window had the focus meanwhile.
  if (lastFocusWindow_ == windowHandle()) lastFocusWindow_ = nullptr;
}
