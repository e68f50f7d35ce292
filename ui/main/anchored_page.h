#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

#include "core/page_layout.h"

namespace korvath::ui {

// A page whose controls sit at fixed positions drawn for a page of kDesignSize, and follow the
// page's size by their anchors: a control anchored on both opposite edges grows, one anchored on
// the far edge only moves.
class AnchoredPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr QSize kDesignSize{kPageDesignSize.Width, kPageDesignSize.Height};
  // The window's smallest size leaves a page 24 pixels lower than drawn; in less room the page
  // scrolls rather than its controls shrinking further.
  static constexpr QSize kMinimumSize{kDesignSize.width(), kDesignSize.height() - 24};

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
