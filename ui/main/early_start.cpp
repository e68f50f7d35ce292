#include "ui/main/early_start.h"

// Std
#include <locale.h>
#include <sched.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
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

// Every processor this thread may use but the one it runs on; none when there is no other. A new
// thread placed on its creator's processor takes it over for a slice of its own, and the creator,
// connecting to the display meanwhile, waits for milliseconds beside an idle one.
std::optional<cpu_set_t> OtherProcessors() {
  const int here = sched_getcpu();
  cpu_set_t set;
  if (here < 0 || here >= CPU_SETSIZE || pthread_getaffinity_np(pthread_self(), sizeof set, &set))
    return std::nullopt;
  CPU_CLR(here, &set);
  if (CPU_COUNT(&set) == 0) return std::nullopt;
  return set;
}

void* Run(void* work) {
  (*static_cast<EarlyStart::Work*>(work))();  // the task keeps what it threw for the future
  return nullptr;
}

// The work on a new thread, placed on `where` when given; none when no thread is to be had.
std::optional<pthread_t> StartThread(EarlyStart::Work& work, const cpu_set_t* where) {
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return std::nullopt;
  std::optional<pthread_t> started;
  pthread_t thread{};
  if ((!where || pthread_attr_setaffinity_np(&attributes, sizeof *where, where) == 0) &&
      pthread_create(&thread, &attributes, Run, &work) == 0)
    started = thread;
  pthread_attr_destroy(&attributes);
  return started;
}

}  // namespace

EarlyStart::EarlyStart(LabelSearch search)
    : work_([search = std::move(search)] {
        const OwnCLocale locale;
#ifdef KORVATH_HAVE_FONTCONFIG
        FcInit();  // Qt's font database finds it done, and goes on from there
#endif
        return std::make_unique<WorkingCopy>(FindLabels(search));
      }),
      copy_(work_.get_future()) {
  MoveToEnd("DESKTOP_STARTUP_ID");
  MoveToEnd("XDG_ACTIVATION_TOKEN");
  if (const auto others = OtherProcessors()) thread_ = StartThread(work_, &*others);
  if (!thread_) thread_ = StartThread(work_, nullptr);
  if (!thread_) work_();  // no thread to be had: in turn
}

void EarlyStart::Wait() {
  if (!thread_) return;
  // Waited for, the work may run anywhere: here too, should the other processors be busy. (A
  // thread that has just ended leaves the call to this thread, whose mask it is already.)
  if (copy_.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
    cpu_set_t everywhere;
    if (pthread_getaffinity_np(pthread_self(), sizeof everywhere, &everywhere) == 0)
      pthread_setaffinity_np(*thread_, sizeof everywhere, &everywhere);
  }
  pthread_join(*thread_, nullptr);
  thread_.reset();
}

std::unique_ptr<WorkingCopy> EarlyStart::TakeCopy() {
  Wait();
  return copy_.get();
}

}  // namespace korvath::ui
