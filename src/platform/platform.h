#pragma once
// Everything the windows need of the world outside the program, in one place, so that
// the program wires in the real things and a test wires in fakes.
#include "platform/environment.h"
#include "platform/sharedblocks.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Browser;
class Clock;
class FileSystem;
class MediaPlayer;
class MessageBoxes;
class QWidget;

struct Platform {
  std::function<Browser*(QWidget* parent)> createBrowser;
  std::function<MediaPlayer*(QWidget* window)> createPlayer;  // its picture goes into `window`
  std::function<bool()> startCalculator;
  MessageBoxes* messages = nullptr;
  Environment environment;
  QString commandLine;                       // what followed the program's name
  std::function<bool()> anotherCopyRuns;     // the previous-copy test
  std::function<QSize()> screenPixels;       // the screen's size in pixels
  std::function<void(int code)> endProcess;  // ends the process at once; the real one never returns
  FileSystem* files = nullptr;               // what the logic asks of the file system
  Clock* clock = nullptr;                    // for the tick wait
  std::function<void(int maxMs)> processEvents;
  QString programFolder;  // folder of the executable, no trailing slash

  // The named blocks shared with the other copies and the simulators. open gives the
  // messages to show for blocks that could not be had; the others work regardless.
  blocks::SharedBlocks* blocks = nullptr;
  std::function<QStringList()> openBlocks;
  std::function<void()> closeBlocks;

  // Other programs and their windows.
  std::function<bool(const QString& title)> activateWindow;  // false when no window answers to the title
  std::function<bool(const QString& title)> maximizeWindow;
  std::function<bool(const QString& program)> startProgram;  // detached, in a window of its own
  std::function<void(const QString& title)> setApplicationTitle;
  struct Pointer {
    QPoint position;  // on the screen, in logical pixels as windows are placed
    bool leftButtonDown = false;
  };
  std::function<std::optional<Pointer>()> pointer;

  // A file the user picks: to save into (`saving`) or to open; empty when the user cancels.
  struct FileQuestion {
    QWidget* owner = nullptr;
    QString title;
    QString suggested;  // the path offered first
    QString filter;     // e.g. "Text files (*.txt)"
    bool saving = false;
  };
  std::function<QString(const FileQuestion&)> askForFile;
};
