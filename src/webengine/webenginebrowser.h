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
class WebEngineBrowser : public Browser {
  Q_OBJECT
 public:
  explicit WebEngineBrowser(QWidget* parent, std::chrono::milliseconds pageTimeLimit = pagerecovery::kPageTimeLimit);
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
  void readLinksAndReport(const QString& location);
  void reportScroll();
  void reportFailure(const QString& location, const QString& reason);

  // ---- Recovery from crashes and failed loads ----
  void setUpRecovery();
  void onLoadingChanged(const QWebEngineLoadingInfo& info);
  void onNavigationRequested(QWebEngineNavigationRequest& request);
  void onRendererEnded(int status, int exitCode);
  void onPageTimeLimit();
  // The load of `address` failed: the stand-in takes its place, and the viewer is told
  // unless it knows already.
  void failed(const QUrl& address, pagerecovery::Trouble trouble, const QString& reason, bool ownLoad);
  void showStandIn();
  void loadStandIn();
  void stopBlocking();
  void retry();
  // The user went elsewhere: no more asking for the page that failed.
  void userNavigates();
  void endRecovery();
  // The next navigation is the browser's own, not the user's.
  void startOwnLoad(const QUrl& address, bool reload);

  QWebEngineProfile* profile_;
  QPointer<QWebEngineView> view_;  // owned by the window it sits in
  QString location_;
  QStringList links_;
  QString title_;
  int pageHeight_ = 0;
  bool loadSucceeded_ = true;
  QTimer scrollSettles_;  // the page's scrolling is reported once it pauses

  // ---- Recovery from crashes and failed loads ----
  struct StandIn {
    QUrl address;
    pagerecovery::Trouble trouble;
    QString reason;
  };
  std::optional<StandIn> standIn_;     // on show, or on its way
  QMap<int, QString> rewrittenLinks_;  // of the document the viewer last heard of
  StandInBlocker* blocker_ = nullptr;
  pagerecovery::CrashWindow crashes_;
  QElapsedTimer clock_;
  QTimer retryTimer_;
  QTimer pageTimeLimit_;
  QUrl loading_;  // the page on its way, if any
  bool ownNavigationNext_ = false;
  bool ownLoad_ = false;  // the load on its way is the browser's own
  bool timedOut_ = false;
  bool standInLoading_ = false;  // the blocked load that makes room for the stand-in
  QUrl cutShort_;                // a load of the browser's own that the user's cut short
};
