#include "ui/main/application_windows.h"

#include "ui/hexdump/hex_dump_form.h"
#include "ui/main/main_form.h"
#include "ui/unitedit/unit_edit_form.h"

namespace korvath::ui {

std::unique_ptr<TMainForm> CreateApplicationWindows(WorkingCopy& copy) {
  auto main = std::make_unique<TMainForm>(copy);
  auto* dump = new THexDumpForm(main.get());
  auto* unitEdit = new TUnitEditForm(copy, main.get());
  main->SetCompanions(dump, unitEdit);
  return main;
}

}  // namespace korvath::ui
