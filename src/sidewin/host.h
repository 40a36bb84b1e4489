#pragma once
// What the side windows need of the main window, and nothing more: they load pages into
// its browser, hand their window state over to it, and ask its quit question.
#include <QString>
#include <QStringList>

class FileSystem;
class MessageBoxes;
class QLabel;
class QWidget;
struct PresenceCheck;
struct TickWait;

class SideWindowHost {
 public:
  virtual QWidget& mainWindow() = 0;
  virtual const QString& fileLocn() const = 0;  // the course base, ends in "qx2/"
  virtual const QString& userDir() const = 0;   // the per-user folder, ends with a slash
  virtual int screenClass() const = 0;          // ScreenSize, the screen class 1..7
  virtual QString programFolder() const = 0;    // where the data files are

  virtual void navigateWeb1(const QString& url) = 0;
  // The next page to arrive in the main browser shows these words marked (as the search
  // spells them, upper-cased); any other arrival first forgets them.
  virtual void markOnArrival(const QStringList& words) = 0;
  virtual void goBackWeb1() = 0;  // a plain step back, not marked as the Back command
  virtual void AskQuit(QWidget* reference) = 0;
  // Print and Calc of a side window: `help` is its own help picture, the page the main
  // browser's.
  virtual void printFrom(QLabel* help, QWidget* window) = 0;
  virtual void startCalculator() = 0;

  virtual MessageBoxes& messages() = 0;
  virtual const PresenceCheck& fileExists() const = 0;
  virtual FileSystem& files() = 0;
  virtual const TickWait& waitOneSecond() const = 0;

 protected:
  ~SideWindowHost() = default;
};
