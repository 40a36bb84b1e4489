#pragma once
// Time and waiting, as the tick wait needs them.
#include <QtGlobal>

// A millisecond counter from an arbitrary start that wraps around at 2^32.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual quint32 milliseconds() = 0;
};
