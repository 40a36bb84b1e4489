#include "shell/tickwait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

quint32 SteadyClock::milliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<quint32>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void TickWait::operator()() const {
  const quint32 start = clock->milliseconds();
  for (;;) {
    // Unsigned difference: correct across the counter's wrap-around.
    const quint32 elapsed = clock->milliseconds() - start;
    if (elapsed >= 1000) return;
    processEvents(static_cast<int>(1000 - elapsed));
  }
}

void processPendingEvents(int maxMs) {
  QTimer wake;  // ends the wait for events when nothing else comes
  wake.setSingleShot(true);
  wake.start(maxMs);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
