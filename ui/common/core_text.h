#pragma once

#include <QString>

#include <string_view>

namespace korvath::ui {

// The core's texts are UTF-8; every window turns them into QStrings here.
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

}  // namespace korvath::ui
