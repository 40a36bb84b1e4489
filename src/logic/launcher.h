#pragma once
// What a second copy of the program does with its command line while the reader runs, and
// the hand-over of an exercise to a simulator with the watch for its window.
#include "logic/blocks.h"

#include <QLoggingCategory>
#include <QString>
#include <QStringView>

#include <functional>
#include <optional>
#include <variant>

namespace launcher {

// The application title. Other copies, and the return window, find the reader's window by
// it: the window whose caption equals it, else the first whose caption begins with it.
inline constexpr char16_t kReaderTitle[] = u"Tavrin";
// The reader's caption from its start until the first course page arrives and retitles it.
// The three leading blanks keep it from beginning with kReaderTitle: nobody finds the
// reader's window before it shows the course.
inline constexpr char16_t kReaderStartCaption[] = u"   Tavrin";
// A launcher that brings the reader forward first takes this caption and application
// title, so that its own windows no longer answer to the reader's title.
inline constexpr char16_t kEndingTitle[] = u"Ending";
// The picture popup's window name: it must not begin with kReaderTitle, or a copy that
// brings the reader forward would raise the popup instead.
inline constexpr char16_t kPictureTitle[] = u"Picture";
inline constexpr int kWatchTickLimit = 40;

// Where programs and exercises are found: the executable's folder, the program-files
// folder and the application-data folder of start-up, none with a trailing slash.
struct Places {
  QString programFolder;
  QString programFilesFolder;
  QString applicationData;
};

enum class Simulator { Trivex, Ampvale };

// Empty command line: retitle this copy "Ending", activate the window titled
// kReaderTitle, end whether or not it was found.
struct BringForward {};

// "/POPJPG=<name> /W?<width> /H?<height>": the popup shows FileLocn & PopFile.
struct Picture {
  QString PopFile;
  qint32 width = 0;  // pixels; 0 when it does not convert
  qint32 height = 0;
};

// "/PRAC=<name>": start `program` in a normal window that takes the focus, then end
// whether or not it started. No name, or a name that could lead out of the program's
// folder, is refused: `program` is empty and nothing is started.
struct PracticeTest {
  QString name;
  QString program;
};

// An exercise for a simulator: write `path` and `kind` into the blocks, then find the
// window titled `windowTitle` or start `program` maximised and watch for the window.
struct Exercise {
  Simulator simulator;
  QString path;
  std::optional<quint8> kind;  // none for "qx0000": "AmpvalePrev" keeps its value
  QString windowTitle;
  QString program;
  QString giveUpMessage;
};

// A command line that matches no mode, or a picture command line without "/W" or "/H":
// this copy has nothing to do.
struct NoMode {};

using Action = std::variant<NoMode, BringForward, Picture, PracticeTest, Exercise>;

// The launcher's decision on its whole command line. The tests are exact and
// case-sensitive and made in this order: empty, "/POPJPG=", "/PRAC=", ".cir" or ".prb"
// at the end, ".ckt" at the end or the whole line "qx0000".
Action modeOf(QStringView commandLine, const Places& places);

// Steps 1 and 2 of passing an exercise on: the blocks are written (name, then kind), then
// `activate` looks for the simulator's window by title and brings it forward. Found: the
// window was there and the launcher can end. Start: the caller starts the program and runs
// an ExerciseWatch once a second. Refused: the path does not fit "AmpvaleName", nothing
// was written and nothing looked for; the caller tells refusedMessage and ends.
enum class Passed { Found, Start, Refused };
QString refusedMessage(const Exercise& exercise);
Passed passToSimulator(blocks::SharedBlocks& blocks, const Exercise& exercise,
                       const std::function<bool(const QString& title)>& activate);

// The watch gave up on the simulator: the exercise's name is taken out of "AmpvaleName",
// so that no return window stays for a simulator that never came. A name another launcher
// wrote meanwhile stays.
void withdraw(blocks::SharedBlocks& blocks, const Exercise& exercise);

// The watch timer's ticks after a simulator was started. Both simulators' timers share
// one count.
class ExerciseWatch {
 public:
  explicit ExerciseWatch(int tickLimit = kWatchTickLimit) : tickLimit_(tickLimit) {}

  enum class Outcome { Waiting, Found, GaveUp };
  // One tick: counts it; past the limit gives up without looking; otherwise `findWindow`
  // looks for the simulator's window (and brings it forward). On Found or GaveUp the
  // caller stops the timer (showing the exercise's give-up message on GaveUp) and ends.
  Outcome tick(const std::function<bool()>& findWindow);

  qint16 ExerciseTicks = 0;

 private:
  int tickLimit_;
};

}  // namespace launcher
