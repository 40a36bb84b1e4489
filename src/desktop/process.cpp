#include "desktop/process.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <chrono>

quint32 SteadyClock::milliseconds() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<quint32>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

void processPendingEvents(int maxMs) {
  QTimer wake;  // ends the wait for events when nothing else comes
  wake.setSingleShot(true);
  wake.start(maxMs);
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

Environment processEnvironment() {
  return [](const char* name) { return qEnvironmentVariable(name); };
}
