#pragma once
// A copy of the program started while the reader runs: it does what its command line
// says (bring the reader forward, pop up a picture, start a practice test, hand an
// exercise to a simulator) and ends. It has no main window, browser or player: most jobs
// need no window at all, and the copy asks for the window system only when one does.
#include "logic/launcher.h"
#include "shell/startsequence.h"

#include <QObject>

#include <functional>
#include <memory>

class frmPopup;
class QTimer;
struct Platform;

// What a launcher needs of the program around it.
struct LauncherHost {
  Platform& platform;
  CourseSetup setup;
  std::function<void()> needWindows;  // makes the application object, before any window or timer
  int watchTickLimit = launcher::kWatchTickLimit;
};

class LauncherCopy : public QObject {
  Q_OBJECT
 public:
  explicit LauncherCopy(LauncherHost host);
  ~LauncherCopy() override;

  // Does what the command line asks, and ends the copy once the job is done. True
  // while the job goes on: the picture popup and the simulator watch keep the copy
  // running (in the event loop) until then.
  bool run(const QString& commandLine);

 private:
  void bringReaderForward();
  void showPicture(const launcher::Picture& picture);
  void startPracticeTest(const launcher::PracticeTest& test);
  void handOverExercise(const launcher::Exercise& exercise);
  void watchTick();
  void EndQX();

  LauncherHost host_;
  std::unique_ptr<frmPopup> frmPopup_;
  QTimer* watchTimer_ = nullptr;  // TimerTri or TimerAmp
  launcher::ExerciseWatch watch_;
  launcher::Exercise exercise_;
};
