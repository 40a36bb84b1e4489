#pragma once
// The tick wait: about one second during which the user interface stays alive, because
// pending events (clicks, keys, timer ticks, page arrivals) are handled inside it.
#include <QtGlobal>

#include <functional>

// A millisecond counter from an arbitrary start that wraps around at 2^32.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual quint32 milliseconds() = 0;
};

class SteadyClock : public Clock {
 public:
  quint32 milliseconds() override;
};

struct TickWait {
  Clock* clock = nullptr;
  // Handles pending events, waiting at most `maxMs` for one to come.
  std::function<void(int maxMs)> processEvents;

  void operator()() const;  // WaitOneSecond
};

// The real event processing: handles what is pending, and sleeps until the next event
// or `maxMs`, so the wait does not spin the processor.
void processPendingEvents(int maxMs);
