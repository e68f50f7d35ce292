// A bare main window of the editor's size and font, shown and left as `korvath --quit-after-show`
// does: what start-up costs with nothing of the editor in it, for bench/startup-vs-bare.
//   bare_window [TEXT_FILE]   (with a file: its UTF-8 text in the window, wrapped, instead of one
//                              line, so that the window draws as many glyphs as the editor's page)
#include <QApplication>
#include <QFile>
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
  auto* label = new QLabel(QStringLiteral("ファイル 編集 表示 ヘルプ"));
  if (argc > 1) {
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::ReadOnly)) return 2;
    label->setText(QString::fromUtf8(file.readAll()));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  }
  window.setCentralWidget(label);
  window.resize(kMainFormSize);
  window.move(kMainFormPosition);
  window.show();
  korvath::ui::QuitAfterShow(&window);
  return QApplication::exec();
}
