#pragma once
// What the side windows need of the main window, and nothing more: they load pages into
// its browser, hand their window state over to it, and ask its quit question. What they
// use of the program besides (its places, files, messages and the tick wait) comes with
// SideWindowServices when they are made.
#include "platform/platform.h"

#include <QString>
#include <QStringList>

#include <functional>

class FileSystem;
namespace reading {
class CourseCompanion;
}
class MessageBoxes;
class QLabel;
class QWidget;
struct PresenceCheck;
struct TickWait;

class SideWindowHost {
 public:
  virtual QWidget& mainWindow() = 0;
  virtual int screenClass() const = 0;  // ScreenSize, the screen class 1..7

  virtual void navigateWeb1(const QString& url) = 0;
  // The next page to arrive in the main browser shows these words marked (as the search
  // spells them, upper-cased); any other arrival first forgets them.
  virtual void markOnArrival(const QStringList& words) = 0;
  virtual void goBackWeb1() = 0;  // a plain step back, not marked as the Back command
  virtual void AskQuit(QWidget* reference) = 0;
  // Print and Calc of a side window: `help` is its own help picture, the page the main
  // browser's.
  virtual void printFrom(QLabel* help, QWidget* window) = 0;
  // Calc; where no calculator can be started, a box over `window` says so.
  virtual void startCalculator(QWidget* window) = 0;
  // The return window's keys, from any of the reader's windows while an exercise is open:
  // true when the key was one of them.
  virtual bool returnWindowKey(int keyCode, int shift) = 0;

 protected:
  ~SideWindowHost() = default;
};

// The program's places and services, fixed when the side windows are made.
struct SideWindowServices {
  QString fileLocn;       // the course base, ends in "qx2/"
  QString userDir;        // the per-user folder, ends with a slash
  QString programFolder;  // where the data files are
  MessageBoxes& messages;
  const PresenceCheck& fileExists;
  FileSystem& files;
  const TickWait& waitOneSecond;
  reading::CourseCompanion& companion;  // the place kept, the bookmarks and the pages read
  std::function<QString(const Platform::FileQuestion&)> askForFile;
};
