#pragma once

#include <QMainWindow>
#include <QPoint>
#include <QSize>
#include <memory>
#include <vector>

class QAction;
class QTabWidget;
class TAboutBox;
class THexDumpForm;
class TUnitEditForm;

namespace korvath {
class WorkingCopy;
struct StoredBackup;
namespace ui {
class BackupsDialog;
struct PageContext;
class Comparison;
class SharedFile;
class WorkingCopyBridge;
}  // namespace ui
}  // namespace korvath

// Where the main window opens and its size, before it is fitted to the screen.
inline constexpr QPoint kMainFormPosition(19, 10);
inline constexpr QSize kMainFormSize(777, 527);

// The main window: the seven pages bound to the working copy, and the file commands.
class TMainForm : public QMainWindow {
  Q_OBJECT

 public:
  explicit TMainForm(korvath::WorkingCopy& copy, QWidget* parent = nullptr);
  ~TMainForm() override;

  // The hex dump and the unit editor, created after this one; the main window shows them.
  void SetCompanions(THexDumpForm* dump, TUnitEditForm* unitEdit);

  // Opens a save file exactly as if the user had chosen it in the open dialog.
  void OpenFile(const QString& path);

  // True once every page and the unit editor's controls are built. The page in view is built as
  // the window is shown; the rest when first shown or, one part per pass of the event loop, once
  // the window is on the screen.
  bool Built() const;

  void setVisible(bool visible) override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void BuildMenus();
  void BuildPages();
  void BuildPage(int page);
  void BuildNextPart();
  // Reading the open file again keeps a comparison; opening any file drops it.
  void Load(const QString& path, bool again);

  void FileOpenMenuClick();
  void FileSaveMenuClick();
  bool SaveFile();  // false when nothing was written
  void FileBackupsMenuClick();
  void RestoreBackup(const korvath::StoredBackup& backup);
  // Asks whether to save unsaved changes first; false when the user keeps them (キャンセル, or a
  // save that failed).
  bool MayDropChanges();
  void FileExitMenuClick();
  void EditUndoMenuClick();
  void EditRedoMenuClick();
  void UpdateEditMenu();
  void UpdateModified();
  void ViewUnitEditMenuClick();
  void ViewDumpManuClick();
  void HelpAboutMenuClick();

  korvath::WorkingCopy& copy_;
  korvath::ui::WorkingCopyBridge* bridge_;
  korvath::ui::Comparison* comparison_;
  korvath::ui::SharedFile* shared_;
  korvath::ui::BackupsDialog* backups_ = nullptr;
  QTabWidget* pages_ = nullptr;
  std::unique_ptr<korvath::ui::PageContext> pageContext_;
  std::vector<bool> pageBuilt_;
  bool pagesQueued_ = false;
  QList<QAction*> fileCommands_;  // enabled by the first successful open
  QAction* viewDump_ = nullptr;
  QAction* undo_ = nullptr;
  QAction* redo_ = nullptr;
  TAboutBox* about_ = nullptr;
  THexDumpForm* dump_ = nullptr;
  TUnitEditForm* unitEdit_ = nullptr;
};
