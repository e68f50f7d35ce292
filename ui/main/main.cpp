#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <memory>

#include "core/label_folders.h"
#include "core/label_list.h"
#include "core/working_copy.h"
#include "ui/common/fonts.h"
#include "ui/common/quit_after_show.h"
#include "ui/common/translation.h"
#include "ui/common/user_dialogs.h"
#include "ui/main/application_windows.h"
#include "ui/main/early_start.h"
#include "ui/main/main_form.h"

namespace {

// `korvath [SAVE]`, with --help, --version and a hidden --quit-after-show.
struct CommandLine {
  QCommandLineParser parser;
  QCommandLineOption help = parser.addHelpOption();
  // By the program's name, as korvath-cli does; the application name stays "Korvath" for titles.
  QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Displays version information.")};
  // For the installed-package test and start-up timing: prove the main window came up, then leave.
  QCommandLineOption quitAfterShow{QStringLiteral("quit-after-show")};

  CommandLine() {
    parser.setApplicationDescription(QStringLiteral("Edits Korvath save files in a window."));
    parser.addOption(version);
    quitAfterShow.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(quitAfterShow);
    parser.addPositionalArgument(QStringLiteral("SAVE"), QStringLiteral("Save file to open"),
                                 QStringLiteral("[SAVE]"));
  }
  bool Asked() const { return parser.isSet(help) || parser.isSet(version); }
  // Answers --help or --version and returns true; false for anything else.
  bool Answer() {
    if (parser.isSet(version)) {
      std::printf("korvath %s\n", KORVATH_VERSION);
      return true;
    }
    if (parser.isSet(help)) parser.showHelp(0);  // leaves the process
    return false;
  }
};

}  // namespace

int main(int argc, char* argv[]) {
  {
    // --help and --version need neither a display nor the label files. Qt's own options are
    // unknown here; the window application below takes them and reports real errors.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
    CommandLine line;
    if (line.parser.parse(arguments) && line.Asked()) {
      // Only for the answer: the help names the program from the application's arguments.
      QCoreApplication console(argc, argv);
      return line.Answer() ? 0 : 1;
    }
  }

  korvath::ui::EarlyStart early(korvath::CurrentLabelSearch());
  QApplication app(argc, argv);
  early.Wait();
  QApplication::setApplicationName(QStringLiteral("Korvath"));
  CommandLine line;
  line.parser.process(app);
  if (line.Answer()) return 0;

  QApplication::setFont(korvath::ui::WindowFont());
  korvath::ui::InstallQtTranslation();

  std::unique_ptr<korvath::WorkingCopy> copy;
  try {
    copy = early.TakeCopy();
  } catch (const korvath::StartupError& e) {
    // No folder held six usable files; the message names each one passed over and why.
    korvath::ui::Dialogs().ShowMessage(nullptr, QMessageBox::Warning, QString::fromUtf8(e.what()));
    return 1;
  } catch (...) {
    korvath::ui::Dialogs().ShowMessage(nullptr, QMessageBox::Warning,
                                       QStringLiteral("ファイル読込エラー"));
    return 1;
  }

  // Qt's image reader asks every image plugin whether it reads PNG before it uses its own reader,
  // and so loads them all, with their libraries, for the menu bar's PNG icon. The windows need no
  // plugin beyond those the application has loaded; Qt finds the others again as soon as the
  // window has been shown, while it waits for the display.
  const QStringList pluginFolders = QCoreApplication::libraryPaths();
  QCoreApplication::setLibraryPaths({});
  std::unique_ptr<TMainForm> mainForm;
  try {
    mainForm = korvath::ui::CreateApplicationWindows(*copy);
  } catch (const std::exception& e) {
    korvath::ui::Dialogs().ShowMessage(nullptr, QMessageBox::Critical, QString::fromUtf8(e.what()));
    return 1;
  } catch (...) {
    // Not an error object: there is no message to show, only that it failed.
    korvath::ui::Dialogs().ShowMessage(nullptr, QMessageBox::Critical, QString());
    return 1;
  }
  mainForm->show();
  QTimer::singleShot(0, [pluginFolders] { QCoreApplication::setLibraryPaths(pluginFolders); });
  const QStringList saves = line.parser.positionalArguments();
  // The open dialog hands over absolute paths; a save named on the command line is treated alike.
  if (!saves.isEmpty()) mainForm->OpenFile(QFileInfo(saves.first()).absoluteFilePath());
  if (line.parser.isSet(line.quitAfterShow)) korvath::ui::QuitAfterShow(mainForm.get());
  return app.exec();
}
