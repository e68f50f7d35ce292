#pragma once

#include <QWidget>

class QPlainTextEdit;

namespace korvath {
struct SaveImage;
}

// The read-only hexadecimal listing of the save image. It is a snapshot taken each time the
// window is opened; closing it only hides it.
class THexDumpForm : public QWidget {
  Q_OBJECT

 public:
  explicit THexDumpForm(QWidget* parent = nullptr);

  // Replaces the listing with one of the image as it is now and shows the window.
  void ShowDump(const korvath::SaveImage& image);
  // Makes the listing's view, once: when the window is first shown, or earlier when the main
  // window has time for it, so that its font is not loaded before the main window is up.
  void Build();
  bool Built() const { return hexDump_ != nullptr; }
  void setVisible(bool visible) override;

 signals:
  void shown();
  void closed();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPlainTextEdit* hexDump_ = nullptr;
};
