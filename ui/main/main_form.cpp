#include "ui/main/main_form.h"

// Qt
#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

// Std
#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <span>

// Korvath
#include "core/file_io.h"
#include "core/window_texts.h"
#include "core/working_copy.h"
#include "ui/common/core_text.h"
#include "ui/common/focus_mark.h"
#include "ui/common/focus_scroll_area.h"
#include "ui/common/fonts.h"
#include "ui/common/screen_fit.h"
#include "ui/common/user_dialogs.h"
#include "ui/hexdump/hex_dump_form.h"
#include "ui/main/about_box.h"
#include "ui/main/backups_dialog.h"
#include "ui/main/bound_controls.h"
#include "ui/main/comparison.h"
#include "ui/main/comparison_commands.h"
#include "ui/main/grid_view.h"
#include "ui/main/guarded.h"
#include "ui/main/history_keys.h"
#include "ui/main/page_keys.h"
#include "ui/main/pages.h"
#include "ui/main/popup_menus.h"
#include "ui/main/shared_file.h"
#include "ui/main/working_copy_bridge.h"
#include "ui/unitedit/unit_edit_form.h"

// The resources live in a static library, whose initialiser the linker would otherwise drop.
static void InitResources() { Q_INIT_RESOURCE(resources); }

namespace {

using korvath::ui::Dialogs;
using korvath::ui::RunGuarded;
using korvath::ui::ToQString;

const QString kTitle = ToQString(korvath::kWindowTitle);
const QString kReadError = ToQString(korvath::kReadError);
const QString kSaveFilter = QStringLiteral("bin (*.bin)");

// The one local .bin file being dragged, if that is what the drag carries.
std::optional<QString> DraggedSave(const QMimeData* mime) {
  if (!mime || !mime->hasUrls() || mime->urls().size() != 1) return std::nullopt;
  const QString path = mime->urls().first().toLocalFile();
  if (path.isEmpty() || !path.endsWith(QLatin1String(".bin"), Qt::CaseInsensitive)) {
    return std::nullopt;
  }
  return path;
}

}  // namespace

TMainForm::TMainForm(korvath::WorkingCopy& copy, QWidget* parent)
    : QMainWindow(parent),
      copy_(copy),
      bridge_(new korvath::ui::WorkingCopyBridge(copy, this)),
      comparison_(new korvath::ui::Comparison(*bridge_, this)),
      shared_(new korvath::ui::SharedFile(this, copy)) {
  InitResources();
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(kTitle);
  setWindowIcon(QIcon(QStringLiteral(":/korvath/korvath.png")));
  // The other windows and the popup menus take the window font too.
  setAttribute(Qt::WA_WindowPropagation);
  setFont(korvath::ui::WindowFont());
  resize(kMainFormSize);
  move(kMainFormPosition);
  setMinimumSize(777, 503);
  setAcceptDrops(true);
  korvath::ui::MarkFocusFromStart(this);
  korvath::ui::KeepInsideScreen(this);
  BuildMenus();
  BuildPages();
}

// Closing the window can still commit an open cell editor; the menu must not hear of it.
TMainForm::~TMainForm() { bridge_->disconnect(this); }

bool TMainForm::Built() const {
  return std::all_of(pageBuilt_.begin(), pageBuilt_.end(), [](bool built) { return built; }) &&
         (!unitEdit_ || unitEdit_->Built()) && (!dump_ || dump_->Built());
}

void TMainForm::BuildMenus() {
  struct Item {
    const char* Name;
    bool Separator;
    QKeyCombination Shortcut;
    bool NeedsFile;  // disabled until the first successful open
    void (TMainForm::*Click)();
  };
  struct Menu {
    const char* Name;
    std::span<const Item> Items;
  };
  static constexpr QKeyCombination kNone;
  static constexpr std::array<Item, 5> kFileItems = {{
      {"FilleOpenMenu", false, QKeyCombination(Qt::CTRL, Qt::Key_O), false,
       &TMainForm::FileOpenMenuClick},
      {"FileSaveMenu", false, QKeyCombination(Qt::CTRL, Qt::Key_S), true,
       &TMainForm::FileSaveMenuClick},
      {"FileBackupsMenu", false, kNone, true, &TMainForm::FileBackupsMenuClick},
      {"N1", true, kNone, false, nullptr},
      {"FileExitMenu", false, kNone, false, &TMainForm::FileExitMenuClick},
  }};
  static constexpr std::array<Item, 2> kEditItems = {{
      {"EditUndoMenu", false, QKeyCombination(Qt::CTRL, Qt::Key_Z), false,
       &TMainForm::EditUndoMenuClick},
      {"EditRedoMenu", false, QKeyCombination(Qt::CTRL, Qt::Key_Y), false,
       &TMainForm::EditRedoMenuClick},
  }};
  static constexpr std::array<Item, 3> kViewItems = {{
      {"ViewUnitEditMenu", false, kNone, true, &TMainForm::ViewUnitEditMenuClick},
      {"N2", true, kNone, false, nullptr},
      {"ViewDumpManu", false, kNone, true, &TMainForm::ViewDumpManuClick},
  }};
  static constexpr std::array<Item, 1> kHelpItems = {{
      {"HelpAboutMenu", false, kNone, false, &TMainForm::HelpAboutMenuClick},
  }};
  static constexpr std::array<Menu, 4> kMenus = {{
      {"FileMenu", kFileItems},
      {"EditMenu", kEditItems},
      {"ViewMenu", kViewItems},
      {"HelpMenu", kHelpItems},
  }};

  for (const Menu& menu : kMenus) {
    QMenu* m = menuBar()->addMenu(ToQString(korvath::MenuCaption(menu.Name)));
    m->setObjectName(QLatin1String(menu.Name));
    for (const Item& item : menu.Items) {
      QAction* action = item.Separator ? m->addSeparator()
                                       : m->addAction(ToQString(korvath::MenuCaption(item.Name)));
      action->setObjectName(QLatin1String(item.Name));
      if (!item.Click) continue;
      if (item.Shortcut != kNone) action->setShortcut(QKeySequence(item.Shortcut));
      if (item.NeedsFile) {
        action->setEnabled(false);
        fileCommands_.append(action);
      }
      connect(action, &QAction::triggered, this, item.Click);
    }
  }
  auto* comparing = new korvath::ui::ComparisonCommands(
      this, findChild<QMenu*>(QStringLiteral("FileMenu")),
      findChild<QAction*>(QStringLiteral("N1")), copy_, *comparison_);
  fileCommands_.append(comparing->StartAction());
  viewDump_ = findChild<QAction*>(QStringLiteral("ViewDumpManu"));
  viewDump_->setCheckable(true);
  undo_ = findChild<QAction*>(QStringLiteral("EditUndoMenu"));
  redo_ = findChild<QAction*>(QStringLiteral("EditRedoMenu"));
  redo_->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(bridge_, &korvath::ui::WorkingCopyBridge::historyChanged, this,
          &TMainForm::UpdateEditMenu);
  connect(bridge_, &korvath::ui::WorkingCopyBridge::historyChanged, this,
          &TMainForm::UpdateModified);
  new korvath::ui::HistoryKeys(this, undo_, redo_);
  UpdateEditMenu();
  connect(shared_, &korvath::ui::SharedFile::reloadNeeded, this,
          [this] { Load(QString::fromStdString(copy_.Image().Path), true); });
}

// The captions say what the next undo or redo changes back.
void TMainForm::UpdateEditMenu() {
  const auto caption = [](const char* verb, const char* key, const std::string& what) {
    QString text = QString::fromUtf8(verb);
    if (!what.empty())
      text += QStringLiteral(": ") + ToQString(what).replace(QLatin1Char('&'), QLatin1String("&&"));
    return text + QString::fromUtf8(key);
  };
  undo_->setEnabled(copy_.CanUndo());
  undo_->setText(caption("元に戻す", "(&U)", copy_.UndoDescription()));
  redo_->setEnabled(copy_.CanRedo());
  redo_->setText(caption("やり直し", "(&R)", copy_.RedoDescription()));
}

// Text still being typed is already in the working copy; it becomes its own step before
// anything is undone. An open cell editor follows the cell it edits.
void TMainForm::EditUndoMenuClick() {
  RunGuarded(this, [&] {
    copy_.EndTyping();
    copy_.Undo();
  });
  if (unitEdit_) unitEdit_->ShowChangedTables();
}

void TMainForm::EditRedoMenuClick() {
  RunGuarded(this, [&] {
    copy_.EndTyping();
    copy_.Redo();
  });
  if (unitEdit_) unitEdit_->ShowChangedTables();
}

// The title's "[*]" shows while the file and the working copy differ; before the first open
// there is no file and no mark.
void TMainForm::UpdateModified() {
  const bool modified = copy_.Image().Loaded && !copy_.IsAtSavePoint();
  // Setting it again would put the same title on the screen once more.
  if (modified != isWindowModified()) setWindowModified(modified);
}

void TMainForm::BuildPages() {
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(8, 8, 8, 8);
  pages_ = new QTabWidget(central);
  pages_->setObjectName(QStringLiteral("PageControl1"));
  layout->addWidget(pages_);
  setCentralWidget(central);

  auto* popups = new korvath::ui::PopupMenus(copy_, this);
  auto* controls = new korvath::ui::BoundControls(*bridge_, *comparison_, this);
  pageContext_ = std::make_unique<korvath::ui::PageContext>(
      korvath::ui::PageContext{*bridge_, *controls, *popups, *comparison_, {}});
  // Each tab holds its page once built; until then the tab is empty and never shown.
  for (const std::string_view caption : korvath::kPageCaptions) {
    auto* holder = new QWidget;
    (new QVBoxLayout(holder))->setContentsMargins(0, 0, 0, 0);
    pages_->addTab(holder, ToQString(caption));
  }
  pageBuilt_.assign(korvath::kPageCaptions.size(), false);
  korvath::ui::AddPageKeys(this, pages_);
  pages_->setCurrentIndex(copy_.ActivePage());

  connect(pages_, &QTabWidget::currentChanged, this, [this](int page) {
    BuildPage(page);
    if (page != copy_.ActivePage()) RunGuarded(this, [&] { copy_.SetActivePage(page); });
  });
  connect(bridge_, &korvath::ui::WorkingCopyBridge::activePageChanged, this, [this](int page) {
    if (page != pages_->currentIndex()) pages_->setCurrentIndex(page);
  });
}

// All seven pages take longer to build than the window takes to come up with the one it shows.
void TMainForm::BuildPage(int page) {
  if (page < 0 || page >= int(pageBuilt_.size()) || pageBuilt_[std::size_t(page)]) return;
  pageBuilt_[std::size_t(page)] = true;
  korvath::ui::PageContext& context = *pageContext_;
  const std::size_t firstView = context.Views.size();
  QWidget* sheet = korvath::ui::BuildPage(page, context);
  sheet->setObjectName(QStringLiteral("TabSheet%1").arg(page + 1));
  QWidget* holder = pages_->widget(page);
  auto* area = new korvath::ui::FocusScrollArea(sheet);
  holder->layout()->addWidget(area);
  if (holder->isVisible()) {
    // Laid out and shown now, not in a later pass of the event loop: the next paint has the page.
    holder->layout()->activate();
    area->show();
  }
  for (std::size_t i = firstView; i < context.Views.size(); ++i) {
    korvath::ui::GridView* view = context.Views[i];
    // A cell's typing is one step once its editor closes.
    // An editor may still close while the window is being destroyed, so the bridge receives it.
    connect(view->itemDelegate(), &QAbstractItemDelegate::closeEditor, bridge_,
            [&copy = copy_] { copy.EndTyping(); });
    if (korvath::LayoutOf(view->Grid()).OpensUnitEditor) {
      connect(view, &korvath::ui::GridView::tableDoubleClicked, this,
              &TMainForm::ViewUnitEditMenuClick);
    }
  }
}

void TMainForm::BuildNextPart() {
  const auto next = std::find(pageBuilt_.begin(), pageBuilt_.end(), false);
  if (next != pageBuilt_.end()) {
    BuildPage(int(next - pageBuilt_.begin()));
  } else if (unitEdit_ && !unitEdit_->Built()) {
    unitEdit_->Build();
  } else if (dump_ && !dump_->Built()) {
    dump_->Build();
  } else {
    return;
  }
  QTimer::singleShot(0, this, &TMainForm::BuildNextPart);
}

void TMainForm::setVisible(bool visible) {
  QMainWindow::setVisible(visible);
  // The page in view is built once the window is on its way to the screen, while the display
  // maps it: the first paint waits for that, and has the page.
  if (visible) BuildPage(pages_->currentIndex());
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (pagesQueued_) return;
  pagesQueued_ = true;
  // The rest waits until the window is on the screen, painted with the page it shows.
  if (QWindow* window = windowHandle()) {
    window->installEventFilter(this);
  } else {
    QTimer::singleShot(0, this, &TMainForm::BuildNextPart);
  }
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  QWindow* window = windowHandle();
  if (watched == window && event->type() == QEvent::Expose && window->isExposed()) {
    window->removeEventFilter(this);
    QTimer::singleShot(0, this, &TMainForm::BuildNextPart);
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::SetCompanions(THexDumpForm* dump, TUnitEditForm* unitEdit) {
  dump_ = dump;
  unitEdit_ = unitEdit;
  connect(dump_, &THexDumpForm::shown, viewDump_, [this] { viewDump_->setChecked(true); });
  connect(dump_, &THexDumpForm::closed, viewDump_, [this] { viewDump_->setChecked(false); });
  // The menu's keys work in the other two windows too, on this window's file.
  for (QAction* menu : menuBar()->actions()) {
    if (!menu->menu()) continue;
    for (QAction* item : menu->menu()->actions()) {
      if (item->shortcuts().isEmpty()) continue;
      dump_->addAction(item);
      unitEdit_->addAction(item);
    }
  }
}

void TMainForm::OpenFile(const QString& path) { Load(path, false); }

void TMainForm::Load(const QString& path, bool again) {
  RunGuarded(this, [&] {
    // Read into a scratch buffer first, so a refused file leaves the loaded one untouched.
    auto bytes = korvath::ReadWholeFile(
        std::filesystem::path(QFile::encodeName(path).toStdString()), korvath::SaveImage::Capacity);
    if (!bytes || !copy_.Open(*bytes, path.toStdString())) {
      Dialogs().ShowMessage(this, QMessageBox::Warning, kReadError + QLatin1Char('\n') + path);
      return;
    }
    if (!again) comparison_->End();  // it was with the file that is gone
    shared_->Opened(path, std::move(*bytes));
    for (QAction* action : fileCommands_) action->setEnabled(true);
    setWindowTitle(kTitle + QLatin1Char(' ') + QFileInfo(path).fileName() + QLatin1String("[*]"));
    UpdateModified();
    if (backups_ && backups_->isVisible()) backups_->Refresh();
  });
}

void TMainForm::FileOpenMenuClick() {
  RunGuarded(this, [&] {
    if (!MayDropChanges()) return;
    const QString path = Dialogs().GetOpenFileName(this, kSaveFilter);
    if (!path.isEmpty()) OpenFile(path);
  });
}

void TMainForm::FileSaveMenuClick() {
  RunGuarded(this, [&] { SaveFile(); });
}

bool TMainForm::SaveFile() {
  bool saved = false;
  RunGuarded(this, [&] {
    if (!copy_.Image().Loaded) return;
    // A text that is not an integer throws here, before anything touches the disk.
    copy_.StorePass();
    // Asks before writing over another program's write, and says why a write failed.
    if (!shared_->Write(copy_.Image().Contents())) return;
    copy_.MarkSaved();
    saved = true;
    if (backups_ && backups_->isVisible()) backups_->Refresh();
  });
  return saved;
}

void TMainForm::FileBackupsMenuClick() {
  RunGuarded(this, [&] {
    if (!copy_.Image().Loaded) return;
    if (!backups_) {
      backups_ = new korvath::ui::BackupsDialog(
          this, copy_, *comparison_,
          [this](const korvath::StoredBackup& backup) { RestoreBackup(backup); });
    }
    backups_->Refresh();
    backups_->show();
    backups_->raise();
    backups_->activateWindow();
  });
}

// The backup's bytes go to the save like any save (so what they replace is kept too), and the
// file is read again.
void TMainForm::RestoreBackup(const korvath::StoredBackup& backup) {
  RunGuarded(this, [&] {
    const QString time = korvath::ui::BackupsDialog::TimeText(backup.Time);
    if (!copy_.IsAtSavePoint() &&
        Dialogs().Ask(this, ToQString(korvath::kRestoreQuestion).arg(time),
                      {ToQString(korvath::kRestoreAnswer), ToQString(korvath::kCancelAnswer)}, 1,
                      1) != 0)
      return;
    const auto bytes = korvath::ReadWholeFile(backup.Path, korvath::SaveImage::Capacity);
    if (!bytes) {
      Dialogs().ShowMessage(
          this, QMessageBox::Warning,
          kReadError + QLatin1Char('\n') + QFile::decodeName(backup.Path.c_str()));
      return;
    }
    if (!shared_->Write(*bytes)) return;
    Load(QString::fromStdString(copy_.Image().Path), true);
    shared_->ShowStatus(ToQString(korvath::kRestoredStatus).arg(time));
  });
}

bool TMainForm::MayDropChanges() {
  if (!copy_.Image().Loaded || copy_.IsAtSavePoint()) return true;
  switch (Dialogs().AskSaveChanges(this)) {
    case QMessageBox::Save:
      return SaveFile();
    case QMessageBox::Discard:
      return true;
    default:
      return false;
  }
}

void TMainForm::closeEvent(QCloseEvent* event) {
  bool close = false;
  RunGuarded(this, [&] { close = MayDropChanges(); });
  if (close) {
    event->accept();
  } else {
    event->ignore();
  }
}

void TMainForm::FileExitMenuClick() { close(); }

void TMainForm::ViewUnitEditMenuClick() {
  if (!unitEdit_ || !copy_.Image().Loaded) return;
  unitEdit_->show();
  unitEdit_->raise();
  unitEdit_->activateWindow();
}

void TMainForm::ViewDumpManuClick() {
  if (!dump_) return;
  RunGuarded(this, [&] {
    if (dump_->isVisible()) {
      dump_->close();
    } else if (copy_.Image().Loaded) {
      dump_->ShowDump(copy_.Image());
    }
  });
  // The action toggled itself when triggered; the window decides.
  viewDump_->setChecked(dump_->isVisible());
}

// Built when first asked for: nothing in it is needed for the window to come up.
void TMainForm::HelpAboutMenuClick() {
  if (!about_) about_ = new TAboutBox(this);
  about_->exec();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
  if (DraggedSave(event->mimeData())) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
  if (const auto path = DraggedSave(event->mimeData())) {
    event->acceptProposedAction();
    // The drag source waits for the drop to finish; the question about unsaved work must not
    // keep it waiting.
    QTimer::singleShot(0, this, [this, file = *path] {
      bool open = false;
      RunGuarded(this, [&] { open = MayDropChanges(); });
      if (open) OpenFile(file);
    });
  }
}
