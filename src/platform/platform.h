#pragma once
// Everything the windows need of the world outside the program, in one place, so that
// the program wires in the real things and a test wires in fakes.
#include "platform/environment.h"

#include <QSize>
#include <QString>

#include <functional>

class Browser;
class Clock;
class MessageBoxes;
class QWidget;

struct Platform {
  std::function<Browser*(QWidget* parent)> createBrowser;
  MessageBoxes* messages = nullptr;
  Environment environment;
  QString commandLine;                      // what followed the program's name
  std::function<bool()> anotherCopyRuns;    // the previous-copy test
  std::function<QSize()> screenSize;        // in pixels
  std::function<void(int code)> endProcess;  // ends the process at once; the real one never returns
  std::function<bool(const QString& path)> removeFile;
  Clock* clock = nullptr;                   // for the tick wait
  std::function<void(int maxMs)> processEvents;
  QString programFolder;                    // folder of the executable, no trailing slash
};
