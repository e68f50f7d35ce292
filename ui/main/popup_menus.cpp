#include "ui/main/popup_menus.h"

// Qt
#include <QMenu>

// Std
#include <span>

// Korvath
#include "core/working_copy.h"
#include "ui/main/guarded.h"

namespace korvath::ui {

namespace {

// The menus show their captions as they are: a "&" would otherwise become an access key.
QString LiteralCaption(std::string_view caption) {
  return QString::fromUtf8(caption.data(), qsizetype(caption.size()))
      .replace(QLatin1Char('&'), QLatin1String("&&"));
}

// itemName(i) names item i (0-based); click(i) runs when it is chosen.
template <typename Item, std::size_t N, typename Name, typename Click>
QMenu* BuildMenu(QWidget* owner, const char* menuName, const std::array<Item, N>& items,
                 Name itemName, Click click) {
  auto* menu = new QMenu(owner);
  menu->setObjectName(QLatin1String(menuName));
  for (std::size_t i = 0; i < N; ++i) {
    QAction* action = menu->addAction(LiteralCaption(items[i].Caption));
    action->setObjectName(itemName(int(i)));
    QObject::connect(action, &QAction::triggered, menu,
                     [owner, click, i] { RunGuarded(owner, [&] { click(int(i)); }); });
  }
  return menu;
}

QString Numbered(const char* prefix, int i) { return QLatin1String(prefix) + QString::number(i); }

}  // namespace

PopupMenus::PopupMenus(WorkingCopy& copy, QWidget* owner) : QObject(owner) {
  plan_ = BuildMenu(
      owner, "PlanPopupMenu", kPlanPopupItems,
      [](int i) { return Numbered("PlanPopupMenu", i + 1); },
      [&copy](int i) { copy.PlanPopupMenuClick(i); });
  unit_ = BuildMenu(
      owner, "UnitPopupMenu", kUnitPopupItems,
      [](int i) { return Numbered("UnitPopupMenu", i + 1); },
      [&copy](int i) { copy.UnitPopupMenuClick(i); });
  areaBattle_ = BuildMenu(
      owner, "AreaPopupMenu1", kAreaBattlePopupItems,
      [](int i) { return Numbered("AreaPopupMenu1_", i + 1); },
      [&copy](int i) { copy.AreaPopupMenu1Click(i); });
  areaFaction_ = BuildMenu(
      owner, "AreaPopupMenu2", kAreaFactionPopupItems,
      [](int i) { return Numbered("AreaPopupMenu2_", i + 1); },
      [&copy](int i) { copy.AreaPopupMenu2Click(i); });
}

QMenu* PopupMenus::MenuFor(PopupKind kind) const {
  switch (kind) {
    case PopupKind::Plan:
      return plan_;
    case PopupKind::Unit:
      return unit_;
    case PopupKind::AreaBattle:
      return areaBattle_;
    case PopupKind::AreaFaction:
      return areaFaction_;
    case PopupKind::None:
      break;
  }
  return nullptr;
}

}  // namespace korvath::ui
