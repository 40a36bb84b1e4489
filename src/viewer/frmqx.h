#pragma once
// The main window: it builds and wires its parts (the page area, what the pages set off, the
// media, the side windows, the poll of the shared blocks), runs the command bar and the keys,
// follows its own size with the screen class, and asks before the program is quit.
#include "layout/commandwindow.h"
#include "logic/coursecompanion.h"
#include "logic/pagearrival.h"
#include "logic/presence.h"
#include "logic/tickwait.h"
#include "platform/platform.h"
#include "shell/startsequence.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QLabel>
#include <QString>
#include <QWidget>

#include <chrono>
#include <memory>

class BlockPoll;
class Browser;
class FindBar;
class MediaPlayback;
class MediaPlayer;
class PageArea;
class withfile;
class QTimer;

class frmQX : public CommandWindow, public SideWindowHost {
  Q_OBJECT
 public:
  // The reader's window, for a copy that found no other copy running. Builds only what the
  // first page needs; the media player and the return window come when first used.
  frmQX(Platform& platform, CourseSetup setup);
  ~frmQX() override;

  // The reader starts: its window comes up maximised and the start page is asked for.
  void Form_Load();
  void LastBit();
  void EndQX();

  // Commands of the buttons and keys.
  void cmdCont_Click();
  void cmdPrint_Click();
  void cmdSearch_Click();
  void cmdBack_Click();
  void cmdPrev_Click() override;
  void cmdNext_Click() override;
  void cmdHist_Click();
  void cmdCalc_Click();
  void cmdSecn_Click();
  void Form_KeyDown(int& keyCode, int& shift) override;
  void StopMedia();

  // The quit question, placed over `reference` (the main window when none is given).
  void AskQuit(QWidget* reference = nullptr) override;

  // What the side windows ask of the main window.
  QWidget& mainWindow() override { return *this; }
  int screenClass() const override { return ScreenSize; }
  void navigateWeb1(const QString& url) override { pages_->navigate(url); }
  void markOnArrival(const QStringList& words) override { pages_->markOnArrival(words); }
  void goBackWeb1() override { pages_->stepBack(); }
  void printFrom(QLabel* help, QWidget* window) override;
  void startCalculator(QWidget* window) override;
  bool returnWindowKey(int keyCode, int shift) override;

  const QString& fileLocn() const { return setup_.FileLocn; }
  const QString& userDir() const { return setup_.UserDir; }
  QSize screenMetrics() const { return {ScreenWidth, ScreenHeight}; }
  const QString& historyPath() const { return pages_->history().path(); }

  // The student's own: the place kept, the bookmarks and the pages read.
  reading::CourseCompanion& companion() { return companion_; }
  // Ctrl+D: bookmarks the page shown, or takes its bookmark away, and says which.
  void toggleBookmark();
  // Alt+R in the place bar: the place kept opens, scrolled to where it was.
  void resumePlace();

  // Set by the return window: a close then ends the program without asking.
  void setFromWithfile(bool fromWithfile) { FromWithfile = fromWithfile; }

  const ViewerState& viewer() const { return pages_->state(); }
  PageArea& pageArea() const { return *pageArea_; }
  SideWindows& sideWindows() { return sideWindows_; }
  Browser* web1() const { return Web1; }
  QWidget* avi() const { return picAVI; }

  // How long the window's size must stay the same before the page is loaded again for it:
  // dragging an edge reloads the page once, not at every step.
  static constexpr std::chrono::milliseconds kResizeSettles{150};
  // How often a scrolled page's place is written at the most.
  static constexpr std::chrono::seconds kPlaceWrittenEvery{1};

 protected:
  void askToQuit() override { AskQuit(); }
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void setUpWindow();
  void setUpPages();
  void setUpBlockPoll();
  void setUpReloadAfterResize();
  PageArrival::Effects arrivalEffects();

  MediaPlayback& media();
  withfile& returnWindow();
  void ClassifyScreen();
  void Form_Resize();
  void reloadForClass();
  int captionHeight() const;
  // Shows the window where it is hidden, and hides the side windows then.
  void comeBack();
  bool readingAidKeys(int& key, int shift);
  // A course page is on show (PageArrival's pageShown).
  void pageShown(const QString& name);
  void offerPlace(const reading::Place& place);

  Platform& platform_;
  TickWait WaitOneSecond;
  PresenceCheck FileExists;

  const CourseSetup setup_;
  reading::CourseCompanion companion_;
  QTimer* writePlace_ = nullptr;            // a scrolled place is written when it runs out
  std::optional<reading::Place> offered_;   // the place the place bar offers
  std::optional<reading::Place> resuming_;  // the place being opened, to scroll to when it arrives
  qint16 ScreenWidth = 0;
  qint16 ScreenHeight = 0;
  qint16 ScreenSize = 0;
  bool FromWithfile = false;

  PageArea* pageArea_ = nullptr;
  Browser* Web1 = nullptr;  // the page area's
  PageArrival* pages_ = nullptr;
  QLabel* picAVI = nullptr;
  std::unique_ptr<MediaPlayer> WMP1;    // made at the first video or narration
  MediaPlayback* media_ = nullptr;      // with it
  std::unique_ptr<withfile> withfile_;  // the return window, made when the first exercise opens
  BlockPoll* poll_ = nullptr;
  QTimer* reloadAfterResize_ = nullptr;
  struct Shape {
    QSize size;
    Qt::WindowStates state;
    bool operator==(const Shape&) const = default;
  };
  Shape handledShape_;  // the size and state the screen class was last taken from
  SideWindows sideWindows_;
};
