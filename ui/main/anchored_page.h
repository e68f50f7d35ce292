#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

namespace korvath::ui {

// Which edges of a control keep their distance to the same edge of the page.
enum Anchor : int {
  kAnchorLeft = 1,
  kAnchorTop = 2,
  kAnchorRight = 4,
  kAnchorBottom = 8,
  kAnchorTopLeft = kAnchorLeft | kAnchorTop,
  kAnchorAll = kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom,
};

// A page whose controls sit at fixed positions drawn for a page of kDesignSize, and follow the
// page's size by their anchors: a control anchored on both opposite edges grows, one anchored on
// the far edge only moves.
class AnchoredPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr QSize kDesignSize{745, 433};

  explicit AnchoredPage(QWidget* parent = nullptr);

  void Place(QWidget* control, const QRect& designRect, int anchors);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct Placed {
    QWidget* Control;
    QRect DesignRect;
    int Anchors;
  };
  QRect RectFor(const Placed& placed) const;

  std::vector<Placed> placed_;
};

}  // namespace korvath::ui
