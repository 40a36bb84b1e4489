#pragma once
// The tick wait: about one second during which the user interface stays alive, because
// pending events (clicks, keys, timer ticks, page arrivals) are handled inside it.
#include "platform/clock.h"

#include <functional>

struct TickWait {
  Clock* clock = nullptr;
  // Handles pending events, waiting at most `maxMs` for one to come.
  std::function<void(int maxMs)> processEvents;

  void operator()() const;  // WaitOneSecond
};
