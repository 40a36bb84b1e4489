#pragma once
// The main window: the course page view, its navigation state, its commands, and
// start-up and quitting of the program.
#include "layout/commandwindow.h"
#include "logic/historylog.h"
#include "logic/pagenames.h"
#include "logic/presence.h"
#include "logic/tickwait.h"
#include "platform/platform.h"
#include "shell/startsequence.h"
#include "sidewin/host.h"
#include "sidewin/sidewindows.h"

#include <QLabel>
#include <QString>
#include <QWidget>

class BlockPoll;
class Browser;
class FindBar;
class MediaPlayback;
class MediaPlayer;
class withfile;
class QTimer;

// What the main window knows about the page on show. Only the main window writes it.
struct ViewerState {
  QString CurrentPage;                   // page name after "qx2/", or the whole location of a foreign page
  qint16 CurrentModule = 0;              // module of the last page whose name carries one
  QString SecnLink, PrevLink, NextLink;  // targets of Section, << and >>
  bool BackPressed = false;              // from a Back command to the end of the next arrival
};

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
  // The one road by which any window loads a page into the main browser.
  void navigateWeb1(const QString& url) override;
  void goBackWeb1() override;
  void printFrom(QLabel* help, QWidget* window) override;
  void startCalculator() override;

  // What the other windows read.
  QWidget& mainWindow() override { return *this; }
  const QString& fileLocn() const override { return setup_.FileLocn; }
  const QString& userDir() const override { return setup_.UserDir; }
  int screenClass() const override { return ScreenSize; }
  QString programFolder() const override { return platform_.programFolder; }
  MessageBoxes& messages() override { return *platform_.messages; }
  const PresenceCheck& fileExists() const override { return FileExists; }
  FileSystem& files() override { return *platform_.files; }
  const TickWait& waitOneSecond() const override { return WaitOneSecond; }
  QSize screenMetrics() const { return {ScreenWidth, ScreenHeight}; }
  QString historyPath() const;

  // ---- Reading aids: zoom, the find bar, the searched words marked in the page ----
  // One step larger (direction > 0) or smaller (< 0), or back to the pages' own size (0);
  // kept for the next run.
  void zoomBy(int direction);
  double zoomFactor() const { return zoom_; }
  void openFindBar();
  void closeFindBar();
  FindBar* findBar() const { return findBar_; }
  void markOnArrival(const QStringList& words) override;

  // Set by the return window: a close then ends the program without asking.
  void setFromWithfile(bool fromWithfile) { FromWithfile = fromWithfile; }

  const ViewerState& viewer() const { return viewer_; }
  SideWindows& sideWindows() { return sideWindows_; }
  Browser* web1() const { return Web1; }
  QWidget* avi() const { return picAVI; }

 protected:
  void askToQuit() override { AskQuit(); }
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setUpWindow();
  void setUpBrowser();
  void setUpBlockPoll();
  void setUpCommands();
  void setUpReloadAfterResize();

  MediaPlayback& media();
  withfile& returnWindow();
  void ClassifyScreen();
  void Form_Resize();
  void reloadForClass();
  int captionHeight() const;

  void Web1_DocumentComplete();
  // Trigger pages do their work whether or not the page itself loaded: the side windows
  // and the media need nothing of it.
  static bool isTriggerPage(const QString& location);
  void keepLastPage();
  // Shows the window where it is hidden, and hides the side windows then.
  void comeBack();
  void applyTitle();
  void takeNavigationLinks();
  void recordPage();
  void finishArrival();
  void RedirectToClass(const QString& key);
  void handleContentsPage();
  void handleMediaTrigger(pages::Arrival kind);

  // Reading aids.
  void setUpZoom();
  bool readingAidKeys(int& key, int shift);
  void setZoom(double factor);
  void fitWeb1();
  void showMarks(const QStringList& words);

  Platform& platform_;
  TickWait WaitOneSecond;
  PresenceCheck FileExists;

  const CourseSetup setup_;
  HistoryLog history_;
  qint16 ScreenWidth = 0;
  qint16 ScreenHeight = 0;
  qint16 ScreenSize = 0;
  bool FromWithfile = false;
  ViewerState viewer_;

  Browser* Web1 = nullptr;
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
  Shape handledShape_;  // the size and state the page was last fitted to
  SideWindows sideWindows_;

  // Reading aids.
  QString settingsFile_;        // where the zoom is kept; "" keeps nothing
  double zoom_ = 1.0;           // of the pages in Web1
  int wheelTurn_ = 0;           // Ctrl+wheel turned short of a whole notch
  FindBar* findBar_ = nullptr;  // made at the first Ctrl+F
  QStringList marksOnArrival_;  // words for the page the search is opening
};
