#pragma once
// The tick wait: about one second during which the user interface stays alive, because
// pending events (clicks, keys, timer ticks, page arrivals) are handled inside it.
//
// Every handler may therefore run again, nested, inside a handler that waits: the page
// arrival handler (a page that arrives during a hand-over or a video's start), the
// command buttons and keys of all four windows, the block poll's tick (TimerEnd), the
// video watch (TimerPREavi, TimerAVI), and the activation and resize handlers. The waits
// are in the hand-over of window state (each side window opening or handing back) and
// in the start of a video. Code around a wait must not hold references into state that
// such a handler changes: it reads what it needs again after the wait.
#include "platform/clock.h"

#include <functional>

struct TickWait {
  Clock* clock = nullptr;
  // Handles pending events, waiting at most `maxMs` for one to come.
  std::function<void(int maxMs)> processEvents;

  void operator()() const;  // WaitOneSecond
};
