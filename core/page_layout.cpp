#include "core/page_layout.h"

namespace korvath {

std::string PanelControlName(std::string_view pattern, int force) {
  std::string name(pattern);
  if (const auto hash = name.find('#'); hash != std::string::npos) {
    name.replace(hash, 1, std::to_string(force + 1));
  }
  return name;
}

}  // namespace korvath
