#include "ui/hexdump/hex_dump_form.h"

// Qt
#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

// Korvath
#include "core/hex_dump.h"
#include "core/window_texts.h"
#include "ui/common/focus_mark.h"
#include "ui/common/fonts.h"
#include "ui/common/screen_fit.h"

THexDumpForm::THexDumpForm(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("HexDumpForm"));
  setWindowTitle(
      QString::fromUtf8(korvath::kDumpTitle.data(), qsizetype(korvath::kDumpTitle.size())));
  setFont(korvath::ui::WindowFont());
  move(437, 13);
  resize(430, 358);
  setMaximumWidth(430);
  korvath::ui::MarkFocusFromStart(this);
  korvath::ui::KeepInsideScreen(this);
}

void THexDumpForm::Build() {
  if (hexDump_) return;
  hexDump_ = new QPlainTextEdit(this);
  hexDump_->setObjectName(QStringLiteral("HexDump"));
  hexDump_->setReadOnly(true);
  hexDump_->setLineWrapMode(QPlainTextEdit::NoWrap);
  hexDump_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  hexDump_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  hexDump_->setFont(korvath::ui::DumpFont());
  hexDump_->setPlainText(QStringLiteral("HexDump"));

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(hexDump_);
}

void THexDumpForm::setVisible(bool visible) {
  if (visible) Build();
  QWidget::setVisible(visible);
}

void THexDumpForm::ShowDump(const korvath::SaveImage& image) {
  Build();
  hexDump_->setPlainText(QString::fromStdString(korvath::BuildDumpText(image)));
  show();
  raise();
}

void THexDumpForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  emit shown();
}

void THexDumpForm::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  emit closed();
}
