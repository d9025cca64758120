#pragma once
// Where the run takes its begin and end times from; tests hand in a fixed clock.

#include "engine/RunSummary.h"

namespace tw {

struct LocalMoment {
  RunTime time;
  RunDate date;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalMoment now() = 0;
};

// The machine's local time, to hundredths of a second.
class SystemClock : public Clock {
 public:
  LocalMoment now() override;
};

}  // namespace tw
