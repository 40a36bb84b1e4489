#pragma once
// The main window: the course page view, its navigation state, its commands, and
// start-up and quitting of the program.
#include "layout/commandbar.h"
#include "platform/platform.h"
#include "shell/presence.h"
#include "shell/tickwait.h"
#include "viewer/pagenames.h"

#include <QLabel>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>

class Browser;
class frmSearch;
class frmSplsh;
class QTimer;

// What the main window knows about the page on show. Only the main window writes it.
struct ViewerState {
  QString CurrentPage;       // page name after "qx2/", or the whole location of a foreign page
  qint16 CurrentModule = 0;  // module of the last page whose name carries one
  QString SecnLink, PrevLink, NextLink;  // targets of Section, << and >>
  bool BackPressed = false;  // from a Back command to the end of the next arrival
  bool SearchLoaded = false, IndexLoaded = false, HistLoaded = false;
};

class frmQX : public QWidget {
  Q_OBJECT
 public:
  explicit frmQX(Platform& platform, QWidget* parent = nullptr);
  ~frmQX() override;

  // Start-up. Returns true when this copy is the reader and its window should be shown;
  // otherwise the copy has already ended (or, under a test's fake, would have).
  bool Form_Load();
  void LastBit();
  void EndQX();

  // Commands of the buttons and keys.
  void cmdCont_Click();
  void cmdSearch_Click();
  void cmdBack_Click();
  void cmdPrev_Click();
  void cmdNext_Click();
  void cmdHist_Click();
  void cmdHelp_Click();
  void cmdSecn_Click();
  void picHelp_Click();
  void Form_KeyDown(int& keyCode, int& shift);
  void Form_KeyPress(int& character);
  void StopMedia();

  // The quit question, placed over `reference` (the main window when none is given).
  void AskQuit(QWidget* reference = nullptr);

  // The one road by which any window loads a page into the main browser.
  void navigateWeb1(const QString& url);

  // The side windows, created hidden on first use.
  enum class SideWindow { Search, Index, History };
  frmSearch* searchWindow();
  QWidget* indexWindow();
  QWidget* historyWindow();
  // A side window's Search, Index or History button: back through the main window, whose
  // trigger page then opens the target window.
  void openSideWindowFrom(QWidget* from, SideWindow target);
  // Shows a side window in front; on becoming active it hides the main window.
  void showSideWindow(QWidget* window);
  // One window on screen at a time: a side window that becomes active hides the others.
  void sideWindowActivated(QWidget* window);

  // Public properties other windows read.
  QString FileLocn;
  QString UserDir;
  QString ProgramFilesFolder;
  qint16 ScreenWidth = 0;
  qint16 ScreenHeight = 0;
  qint16 ScreenSize = 0;
  bool FromWithfile = false;

  const ViewerState& viewer() const { return viewer_; }
  Browser* web1() const { return Web1; }
  QWidget* avi() const { return picAVI; }
  QLabel* help() const { return picHelp; }
  const CommandBar& commandBar() const { return bar_; }
  QTimer* timer(const char* name) const;
  QString historyPath() const;
  const TickWait& waitOneSecond() const { return WaitOneSecond; }
  const PresenceCheck& fileExists() const { return FileExists; }
  const Platform& platform() const { return platform_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void SetCourseBase();
  bool FolderExists(const QString& path);
  void ClassifyScreen();
  void Form_Resize();
  void reloadForClass();
  int captionHeight() const;
  QWidget* sideWindow(SideWindow which);
  QString triggerPage(SideWindow which) const;
  // The main window's Search and History: hand over to the side window, then its trigger page.
  void goToSideWindow(SideWindow target);

  void Web1_DocumentComplete();
  void applyTitle();
  void takeNavigationLinks();
  void recordPage();
  void finishArrival();
  void RedirectToClass(const QString& key);
  void handleContentsPage();
  void handleMediaTrigger(pages::Arrival kind);

  // Hand-overs to the parts that play media and open the side windows.
  void PlayVideo(const std::optional<QString>& address);
  void PlayNarration(const QString& address);
  void openSideWindowOnArrival(pages::Arrival trigger);
  void frmIndex_LoadWords();
  void frmIndex_Show();
  void frmHist_LoadHist();
  void TimerEnd_Timer();

  Platform& platform_;
  TickWait WaitOneSecond;
  PresenceCheck FileExists;
  ViewerState viewer_;
  CommandBar bar_;
  Browser* Web1;
  QLabel* picAVI;
  QLabel* picHelp;
  QTimer* TimerPREavi;
  QTimer* TimerAVI;
  QTimer* TimerPop;
  QTimer* TimerTri;
  QTimer* TimerAmp;
  QTimer* TimerEnd;
  QTimer* reloadAfterResize_;
  struct Shape {
    QSize size;
    Qt::WindowStates state;
    bool operator==(const Shape&) const = default;
  };
  Shape handledShape_;  // the size and state the page was last fitted to
  std::unique_ptr<frmSearch> frmSearch_;
  std::unique_ptr<QWidget> frmIndex_;
  std::unique_ptr<QWidget> frmHist_;
  std::unique_ptr<frmSplsh> frmSplsh_;
};
