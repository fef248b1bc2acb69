#include "ui/platform.h"

#include <ctime>

namespace quor::ui {

double Platform::SecondsSinceMidnight() const {
  using namespace std::chrono;
  const system_clock::time_point now = Now();
  const std::time_t whole = system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&whole, &local);
  // to_time_t may round; take the fraction from the whole-second point.
  const duration<double> fraction = now - system_clock::from_time_t(whole);
  double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + fraction.count();
  if (seconds < 0) seconds += 86400.0;
  return seconds;
}

}  // namespace quor::ui
