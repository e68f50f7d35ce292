#pragma once

#include <QFont>

namespace korvath::ui {

// The proportional Japanese Gothic face at 12 px that every window uses.
QFont WindowFont();
// The fixed-pitch Japanese Gothic face at 13 px of the hex dump.
QFont DumpFont();

}  // namespace korvath::ui
