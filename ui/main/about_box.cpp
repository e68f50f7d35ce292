#include "ui/main/about_box.h"

// Qt
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

// Std
#include <array>

// Korvath
#include "core/window_texts.h"
#include "ui/common/fonts.h"

namespace {

// Beside korvath::kAboutLines, line by line.
struct TextLine {
  const char* Name;
  QPoint At;  // in the panel
};
constexpr std::array<TextLine, 3> kLines = {{
    {"ProductName", QPoint(88, 16)},
    {"Title", QPoint(88, 40)},
    {"Version", QPoint(88, 64)},
}};
static_assert(kLines.size() == korvath::kAboutLines.size());
constexpr QSize kClientSize(298, 213);
constexpr QRect kPanel(8, 8, 281, 161);
constexpr QRect kIcon(8, 8, 64, 64);
constexpr QRect kOkButton(111, 178, 75, 25);

}  // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(
      QString::fromUtf8(korvath::kAboutTitle.data(), qsizetype(korvath::kAboutTitle.size())));
  setFont(korvath::ui::WindowFont());
  setFixedSize(kClientSize);

  auto* panel = new QFrame(this);
  panel->setObjectName(QStringLiteral("Panel1"));
  panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  panel->setGeometry(kPanel);

  auto* icon = new QLabel(panel);
  icon->setObjectName(QStringLiteral("ProgramIcon"));
  icon->setPixmap(QPixmap(QStringLiteral(":/korvath/korvath.png")));
  icon->setGeometry(kIcon);

  for (std::size_t i = 0; i < kLines.size(); ++i) {
    const TextLine& line = kLines[i];
    const std::string_view text = korvath::kAboutLines[i];
    auto* label = new QLabel(QString::fromUtf8(text.data(), qsizetype(text.size())), panel);
    label->setObjectName(QLatin1String(line.Name));
    label->move(line.At);
    label->adjustSize();
  }

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("OKButton"));
  ok->setGeometry(kOkButton);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Centred on the screen rather than on the main window.
  if (const QScreen* screen = this->screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
}
