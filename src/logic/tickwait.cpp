#include "logic/tickwait.h"

void TickWait::operator()() const {
  const quint32 start = clock->milliseconds();
  for (;;) {
    // Unsigned difference: correct across the counter's wrap-around.
    const quint32 elapsed = clock->milliseconds() - start;
    if (elapsed >= 1000) return;
    processEvents(static_cast<int>(1000 - elapsed));
  }
}
