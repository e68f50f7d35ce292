// A bare main window of the editor's size and font, shown and left as `korvath --quit-after-show`
// does: what start-up costs with nothing of the editor in it, for bench/startup-vs-bare.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>

#include "ui/common/fonts.h"
#include "ui/common/quit_after_show.h"
#include "ui/main/main_form.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setFont(korvath::ui::WindowFont());
  QMainWindow window;
  window.setWindowTitle(QStringLiteral("bare window"));
  // One line of Japanese text, so that the window loads and draws the same font face.
  window.setCentralWidget(new QLabel(QStringLiteral("ファイル 編集 表示 ヘルプ")));
  window.resize(kMainFormSize);
  window.move(kMainFormPosition);
  window.show();
  korvath::ui::QuitAfterShow(&window);
  return QApplication::exec();
}
