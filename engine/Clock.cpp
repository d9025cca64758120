#include "engine/Clock.h"

#include <chrono>
#include <ctime>

namespace tw {

LocalMoment SystemClock::now() {
  using namespace std::chrono;
  const auto stamp = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(stamp);
  const auto millis = duration_cast<milliseconds>(stamp.time_since_epoch()).count() % 1000;
  std::tm local{};
  ::localtime_r(&seconds, &local);
  LocalMoment moment;
  moment.time = {local.tm_hour, local.tm_min, local.tm_sec, static_cast<int>(millis / 10)};
  moment.date = {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
  return moment;
}

}  // namespace tw
