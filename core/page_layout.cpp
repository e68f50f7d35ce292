#include "core/page_layout.h"

#include <string>

#include "core/field_maps.h"

namespace korvath {

std::string_view GroupCaption(const CheckGroup& group) {
  const MainFieldEntry* first = FindMainField("CheckBox6_" + std::to_string(group.First));
  return first != nullptr ? first->Group : std::string_view();
}

std::string PanelControlName(std::string_view pattern, int force) {
  std::string name(pattern);
  if (const auto hash = name.find('#'); hash != std::string::npos) {
    name.replace(hash, 1, std::to_string(force + 1));
  }
  return name;
}

}  // namespace korvath
