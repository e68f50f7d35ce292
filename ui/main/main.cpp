#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>
#include <filesystem>
#include <memory>

#include "core/working_copy.h"
#include "ui/common/fonts.h"
#include "ui/common/translation.h"
#include "ui/common/user_dialogs.h"
#include "ui/main/application_windows.h"
#include "ui/main/main_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korvath"));
  QApplication::setFont(korvath::ui::WindowFont());
  korvath::ui::InstallQtTranslation();

  std::unique_ptr<korvath::WorkingCopy> copy;
  try {
    const QByteArray dir = QFile::encodeName(QCoreApplication::applicationDirPath());
    copy = std::make_unique<korvath::WorkingCopy>(std::filesystem::path(dir.toStdString()));
  } catch (...) {
    // A missing or unreadable label file, above all.
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
  const QStringList arguments = QCoreApplication::arguments();
  // The open dialog hands over absolute paths; a save named on the command line is treated alike.
  if (arguments.size() > 1) mainForm->OpenFile(QFileInfo(arguments.at(1)).absoluteFilePath());
  return app.exec();
}
