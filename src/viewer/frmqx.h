#pragma once
// The main window: the course page view, its navigation state, and start-up.
#include "platform/platform.h"
#include "viewer/pagenames.h"

#include <QString>
#include <QLabel>
#include <QWidget>

#include <optional>

class Browser;

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

  // Commands.
  void cmdBack_Click();

  // The one road by which any window loads a page into the main browser.
  void navigateWeb1(const QString& url);

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
  QString historyPath() const;

 private:
  void SetCourseBase();
  bool FolderExists(const QString& path);
  void ClassifyScreen();

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
  void openSideWindow(pages::Arrival trigger);
  void TimerEnd_Timer();

  Platform& platform_;
  ViewerState viewer_;
  Browser* Web1;
  QLabel* picAVI;
  QTimer* TimerEnd;
};
