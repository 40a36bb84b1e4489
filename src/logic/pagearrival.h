#pragma once
// What the main browser's pages set off, and the commands that lead from one page to the
// next. Every page that arrives in the main browser, whoever sent it there, is recognised by
// its name: it titles the window, gives its first three links to Section, << and >>, is
// recorded in the history log, or sets off a video, narration or a side window. No widget
// is involved: the window reaches the screen, the media and the side windows through
// `Effects`, and the page through the Browser interface.
#include "logic/historylog.h"
#include "logic/pagenames.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class Browser;
class FileSystem;

// What the main window knows about the page on show. Only PageArrival writes it.
struct ViewerState {
  QString CurrentPage;                   // page name after "qx2/", or the whole location of a foreign page
  qint16 CurrentModule = 0;              // module of the last page whose name carries one
  QString SecnLink, PrevLink, NextLink;  // targets of Section, << and >>
  bool BackPressed = false;              // from a Back command to the end of the next arrival
};

class PageArrival : public QObject {
  Q_OBJECT
 public:
  // What an arrival does beyond the browser and the history log.
  struct Effects {
    std::function<void()> showWindow;  // the main window comes back where it is hidden
    std::function<void(const QString& title)> setTitle;
    std::function<int()> screenClass;     // ScreenSize as it stands
    std::function<int()> classifyScreen;  // measured again: contents pages fit the class of now
    // Nothing when the name gives no address: the player plays the one it had.
    std::function<void(const std::optional<QString>& address)> playVideo;
    std::function<void(const QString& address)> playNarration;  // "" when the name gives none
    std::function<void(pages::Arrival trigger)> openSideWindow;
    // A course page is on show and its handling is done (not for trigger pages, nor for a
    // failed load); `name` is CurrentPage.
    std::function<void(const QString& name)> pageShown;
  };

  PageArrival(Browser& browser, FileSystem& files, QString fileLocn, QString userDir, Effects effects,
              QObject* parent = nullptr);

  const ViewerState& state() const { return state_; }
  const HistoryLog& history() const { return history_; }

  // The one road by which any window loads a page into the main browser. An empty target (a
  // button before any page gave it one) is not a page to load.
  void navigate(const QString& url);
  // The next page to arrive shows these words marked (as the search spells them, upper-cased);
  // any other arrival first forgets them.
  void markOnArrival(const QStringList& words) { marksOnArrival_ = words; }

  // The commands that lead through the course.
  void contents();  // the start page, or from it the contents page, of the class
  void back();      // a step back, marked so that an entry page is stepped over too
  void stepBack();  // a plain step back, as the side windows take it
  void previous() { navigate(state_.PrevLink); }
  void next() { navigate(state_.NextLink); }
  void section() { navigate(state_.SecnLink); }

 private:
  void documentComplete();
  void keepLastPage();
  void applyTitle();
  void takeNavigationLinks();
  void recordPage();
  void finish();
  void redirectToClass(const QString& key);
  void handleContentsPage();
  void handleMediaTrigger(pages::Arrival kind);
  void showMarks(const QStringList& words);

  Browser& browser_;
  const QString fileLocn_;
  HistoryLog history_;
  const Effects effects_;
  ViewerState state_;
  QStringList marksOnArrival_;  // words for the page the search is opening
};
