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
#include "ui/common/user_dialogs.h"
#include "ui/main/application_windows.h"
#include "ui/main/main_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvath"));

  // --help and --version answer before the label files are looked for.
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral("Edits Korvath save files in a window."));
  parser.addHelpOption();
  // By the program's name, as korvath-cli does; the application name stays "Korvath" for titles.
  QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                             QStringLiteral("Displays version information."));
  parser.addOption(version);
  parser.addPositionalArgument(QStringLiteral("SAVE"), QStringLiteral("Save file to open"),
                               QStringLiteral("[SAVE]"));
  // For the installed-package test: prove the main window came up, then leave.
  QCommandLineOption quitAfterShow(QStringLiteral("quit-after-show"));
  quitAfterShow.setFlags(QCommandLineOption::HiddenFromHelp);
  parser.addOption(quitAfterShow);
  parser.process(app);
  if (parser.isSet(version)) {
    std::printf("korvath %s\n", KORVATH_VERSION);
    return 0;
  }

  QApplication::setFont(korvath::ui::WindowFont());

  std::unique_ptr<korvath::WorkingCopy> copy;
  try {
    copy = std::make_unique<korvath::WorkingCopy>(
        korvath::FindLabelFolder(korvath::CurrentLabelSearch()));
  } catch (const korvath::StartupError& e) {
    // No folder held the six files, or one of them is unreadable or too short.
    korvath::ui::Dialogs().ShowMessage(nullptr, QMessageBox::Warning, QString::fromUtf8(e.what()));
    return 1;
  } catch (...) {
    korvath::ui::Dialogs().ShowMessage(nullptr, QMessageBox::Warning,
                                       QStringLiteral("ファイル読込エラー"));
    return 1;
  }

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
  const QStringList saves = parser.positionalArguments();
  // The open dialog hands over absolute paths; a save named on the command line is treated alike.
  if (!saves.isEmpty()) mainForm->OpenFile(QFileInfo(saves.first()).absoluteFilePath());
  if (parser.isSet(quitAfterShow)) {
    QTimer::singleShot(0, mainForm.get(), [&mainForm] {
      std::printf("%s\n", mainForm->windowTitle().toUtf8().constData());
      QCoreApplication::exit(mainForm->isVisible() ? 0 : 1);
    });
  }
  return app.exec();
}
