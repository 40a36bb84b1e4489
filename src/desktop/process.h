#pragma once
// The process itself, as the program reads it and waits in it: its environment, a steady
// clock, and its pending events.
#include "platform/clock.h"
#include "platform/environment.h"

class SteadyClock : public Clock {
 public:
  quint32 milliseconds() override;
};

// Handles what is pending, and sleeps until the next event or `maxMs`, so a wait does not
// spin the processor.
void processPendingEvents(int maxMs);

// The real environment of this process; an unset variable reads as "".
Environment processEnvironment();
