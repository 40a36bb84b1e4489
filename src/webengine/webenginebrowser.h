#pragma once
#include "logic/pagerecovery.h"
#include "platform/browser.h"

#include <QElapsedTimer>
#include <QMap>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <QWebEngineView>

#include <chrono>
#include <optional>

class CoursePage;
class QWebEngineLoadingInfo;
class QWebEngineNavigationRequest;
class QWebEngineProfile;
class StandInBlocker;

// Browser on Qt WebEngine. Reading the links of a page is asynchronous there, so the
// links are taken in one script call when a load finishes and documentComplete is sent
// afterwards: the arrival handling then runs in order, on a fixed picture of the page.
//
// It also mends what the viewer cannot: a crashed page renderer is restarted on the same
// page, and a page that fails for want of a server (or does not arrive within the time
// limit) is shown as a page of the program's own, asked for again every few seconds until
// it comes. The viewer hears of each page once: of the failure when it happens, of the page
// when it arrives, and of nothing that only puts back what it had already heard of.
//
// And it keeps a page to what a course page does: only the course's own origin is shown
// (a link the user clicks to anywhere else opens in the desktop's browser), a page may
// not grow without end as it loads, and a page that puts up one message after another is
// held back, and stopped when it does not let go.
class WebEngineBrowser : public Browser {
  Q_OBJECT
 public:
  // `courseBase`: the course's address; pages of other origins are not shown.
  WebEngineBrowser(QWidget* parent, const QUrl& courseBase,
                   std::chrono::milliseconds pageTimeLimit = pagerecovery::kPageTimeLimit);
  ~WebEngineBrowser() override;

  QWidget* widget() override;
  QString locationUrl() const override { return location_; }
  std::optional<QString> linkHref(int i) const override;
  bool setLinkHref(int i, const QString& href) override;
  bool loadSucceeded() const override { return loadSucceeded_; }
  QString title() const override { return title_; }
  int pageHeight() const override { return pageHeight_; }
  void scrollTo(int y) override;
  void navigate(const QString& url) override;
  bool canGoBack() const override;
  void goBack() override;
  Result<int> printStatus() const override;
  Done print(QPrinter& printer) override;
  void setZoom(double factor) override;
  void find(const QString& text, bool backward) override;
  void markWords(const QStringList& words, const QString& foldFrom, const QString& foldTo) override;

  QWebEngineView* view() const { return view_; }

 private:
  friend class CoursePage;

  void readLinksAndReport(const QString& location);
  void reportScroll();
  void reportFailure(const QString& location, const QString& reason);

  // ---- The load on its way ----------------------------------------------------------
  // Who asked for it, which decides what its end means.
  enum class Asker {
    User,        // the viewer, the user or the page: the viewer hears how it ends
    Again,       // the browser, asking again for a page that failed or whose renderer ended
    MakingRoom,  // the browser's blocked load that leaves an error page at the address for the stand-in
  };
  // Why the browser ended it before it ended by itself.
  enum class Cut { No, TimeLimit, TooLarge, LedAway };
  struct Load {
    QUrl address;
    Asker asker = Asker::User;
    Cut cut = Cut::No;
    QUrl ledTo;             // where it was sent, when it led off the course
    bool arriving = false;  // some of the page had come
    qint64 renderer = 0;    // the page renderer it was measured in, and its size then
    qint64 rendererStart = 0;
  };
  void onNavigationRequested(QWebEngineNavigationRequest& request);
  void beginLoad(const QUrl& address, Asker asker);
  void onLoadingChanged(const QWebEngineLoadingInfo& info);
  void onLoadEnded(const QWebEngineLoadingInfo& info);
  void endCutLoad(const Load& load);
  void cutLoad(Cut cut);
  void onPageTimeLimit();
  void measureRenderer();
  bool usersLoad() const { return load_ && load_->asker == Asker::User; }
  // A load of the browser's own: a load or reload of `address` is the browser's from now
  // until the user goes elsewhere.
  void startOwnLoad(const QUrl& address, Asker asker, bool reload);
  // A navigation to somewhere off the course was refused; a link the user clicked opens in
  // the desktop's browser.
  void refuse(const QUrl& address, bool followsAClick);

  // ---- Recovery from crashes and failed loads -------------------------------------------
  void setUpRecovery();
  void onRendererEnded(int status, int exitCode);
  // The load of `address` failed: the stand-in takes its place (written over the browser's
  // error page when that is on show), and the viewer is told unless it knows already.
  void failed(const QUrl& address, pagerecovery::Trouble trouble, const QString& reason, Asker asker, bool onErrorPage);
  void showStandIn();
  void loadStandIn();
  // The blocked load for the stand-in ended some other way: it is made again, a few times.
  void makeRoomAgain(const QString& why);
  void stopBlocking();
  void retry();
  // The user went elsewhere: no more asking for the page that failed.
  void userNavigates();
  void endRecovery();

  // ---- Messages a page puts up ---------------------------------------------------------
  // Whether a message the page asks for now is shown; a page that keeps asking is stopped.
  bool mayShowDialog();
  void dialogClosed();
  void stopPage();

  QUrl courseBase_;
  QWebEngineProfile* profile_;
  QPointer<QWebEngineView> view_;  // owned by the window it sits in
  QString location_;
  QStringList links_;
  QString title_;
  int pageHeight_ = 0;
  bool loadSucceeded_ = true;
  QTimer scrollSettles_;  // the page's scrolling is reported once it pauses

  std::optional<Load> load_;
  struct OwnLoad {
    QUrl address;
    Asker asker;
  };
  std::optional<OwnLoad> ownNext_;  // the load the browser started last, until the user goes elsewhere
  QTimer pageTimeLimit_;
  QTimer rendererWatch_;  // the size of the page renderer while a page loads

  struct StandIn {
    QUrl address;
    pagerecovery::Trouble trouble;
    QString reason;
  };
  std::optional<StandIn> standIn_;     // on show, or on its way
  QMap<int, QString> rewrittenLinks_;  // of the document the viewer last heard of
  StandInBlocker* blocker_ = nullptr;
  int roomAttempts_ = 0;  // blocked loads for the stand-in that ended some other way
  pagerecovery::CrashWindow crashes_;
  QElapsedTimer clock_;
  QTimer retryTimer_;

  pagerecovery::DialogGate dialogs_;
  bool stopping_ = false;  // the page renderer is being ended, to stop a page
};
