#include "ui/main/early_start.h"

// Std
#include <locale.h>
#include <cstdlib>
#include <string>
#include <system_error>
#include <utility>

#ifdef KORVATH_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace korvath::ui {

namespace {

// Qt takes the launcher's start-up token out of the environment as it connects to the display,
// while fontconfig reads the environment on the other thread. glibc removes a variable by moving
// the ones after it down a place, under the reader; with the token last, nothing moves.
void MoveToEnd(const char* name) {
  const char* value = std::getenv(name);
  if (!value) return;
  const std::string kept = value;
  unsetenv(name);
  setenv(name, kept.c_str(), 1);
}

// QApplication sets the program's locale meanwhile; this thread works in a C locale of its own,
// as korvath-cli does.
class OwnCLocale {
 public:
  OwnCLocale() : c_(newlocale(LC_ALL_MASK, "C", locale_t{})) {
    if (c_) before_ = uselocale(c_);
  }
  ~OwnCLocale() {
    if (!c_) return;
    uselocale(before_);
    freelocale(c_);
  }
  OwnCLocale(const OwnCLocale&) = delete;
  OwnCLocale& operator=(const OwnCLocale&) = delete;

 private:
  locale_t c_;
  locale_t before_{};
};

}  // namespace

EarlyStart::EarlyStart(LabelSearch search) {
  MoveToEnd("DESKTOP_STARTUP_ID");
  MoveToEnd("XDG_ACTIVATION_TOKEN");
  auto work = [search = std::move(search)] {
    const OwnCLocale locale;
#ifdef KORVATH_HAVE_FONTCONFIG
    FcInit();  // Qt's font database finds it done, and goes on from there
#endif
    return std::make_unique<WorkingCopy>(FindLabels(search));
  };
  try {
    copy_ = std::async(std::launch::async, work);
  } catch (const std::system_error&) {
    copy_ = std::async(std::launch::deferred, std::move(work));  // no thread to be had: in turn
  }
}

}  // namespace korvath::ui
