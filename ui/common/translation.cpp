#include "ui/common/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

namespace korvath::ui {

bool InstallQtTranslation() {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator.get())) {
    return false;
  }
  // The application keeps it for as long as it runs.
  translator.release()->setParent(QCoreApplication::instance());
  return true;
}

}  // namespace korvath::ui
