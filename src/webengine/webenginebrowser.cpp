#include "webengine/webenginebrowser.h"

#include "platform/logging.h"

#include <QLoggingCategory>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNavigationRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>

#include <utility>

namespace {
// How long the page's scrolling must pause before where it came to is read.
constexpr std::chrono::milliseconds kScrollSettles{250};

// Puts `href` as the target of link i of the live document. The address travels as a JSON
// array, which quotes it safely for the script.
void writeLink(QWebEnginePage* page, int i, const QString& href) {
  const QByteArray arg = QJsonDocument(QJsonArray{href}).toJson(QJsonDocument::Compact);
  const QString script = QStringLiteral("(function (h) { var a = document.links[%1]; if (a) a.href = h[0]; })(%2)")
                             .arg(i)
                             .arg(QString::fromUtf8(arg));
  page->runJavaScript(script, QWebEngineScript::ApplicationWorld);
}

// Failures that asking again may mend: no connection, no name, a connection broken off,
// a network that changed or timed out. Answers of the server and refused certificates stay.
bool mendedByAskingAgain(const QWebEngineLoadingInfo& info) {
  switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::DnsErrorDomain:
    case QWebEngineLoadingInfo::HttpErrorDomain: return true;
    case QWebEngineLoadingInfo::InternalErrorDomain:
      return info.errorCode() == -7 /* timed out */ || info.errorCode() == -21 /* network changed */;
    default: return false;
  }
}
}  // namespace

// A page that never arrived leaves nothing on show to hold its stand-in. A load that is
// blocked at once leaves the browser's error page at the page's address instead, in the
// history where a refused connection leaves it, and the stand-in is written into that.
class StandInBlocker : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  QUrl blockOnce;

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (blockOnce.isEmpty() || info.resourceType() != QWebEngineUrlRequestInfo::ResourceTypeMainFrame ||
        info.requestUrl() != blockOnce)
      return;
    info.block(true);
    blockOnce.clear();
  }
};

WebEngineBrowser::WebEngineBrowser(QWidget* parent, std::chrono::milliseconds pageTimeLimit)
    : Browser(parent),
      // Off the record: the course server is the only state the reader relies on, and
      // concurrent copies (launchers, tests) never fight over a profile on disk.
      profile_(new QWebEngineProfile(this)),
      view_(new QWebEngineView(parent)) {
  view_->setPage(new QWebEnginePage(profile_, view_));
  // The view gets its drawing surface when its page is first used, and a window that is
  // already on screen is then made over again: it loses its maximised state and is drawn
  // twice before the first page can start. So the page is made ready now, before the
  // window is shown; asking for its history does that without navigating anywhere.
  view_->history()->count();
  // A picture opened on its own is shown as a page of that time showed it: on white, at
  // the top-left corner, not centred on the dark ground of Chromium's picture viewer.
  QWebEngineScript plainPicture;
  plainPicture.setName(QStringLiteral("plainPicture"));
  plainPicture.setInjectionPoint(QWebEngineScript::DocumentReady);
  plainPicture.setWorldId(QWebEngineScript::ApplicationWorld);
  plainPicture.setSourceCode(
      QStringLiteral("if (document.contentType.startsWith('image/') && document.images.length == 1) {"
                     "  document.body.style.background = 'white';"
                     "  var img = document.images[0];"
                     "  img.style.margin = '0'; img.style.background = 'white';"
                     "}"));
  profile_->scripts()->insert(plainPicture);
  pageTimeLimit_.setInterval(pageTimeLimit);
  setUpRecovery();
  // Scrolling comes in many small steps; where it came to is read once it pauses.
  scrollSettles_.setSingleShot(true);
  scrollSettles_.setInterval(kScrollSettles);
  connect(&scrollSettles_, &QTimer::timeout, this, &WebEngineBrowser::reportScroll);
  connect(view_->page(), &QWebEnginePage::scrollPositionChanged, &scrollSettles_, qOverload<>(&QTimer::start));
}

void WebEngineBrowser::reportScroll() {
  QPointer<WebEngineBrowser> self(this);
  view_->page()->runJavaScript(
      QStringLiteral("[window.scrollY, document.documentElement ? document.documentElement.scrollHeight : 0]"),
      QWebEngineScript::ApplicationWorld, [self](const QVariant& result) {
        if (!self) return;
        const QVariantList at = result.toList();
        if (at.size() == 2) emit self->scrolled(qRound(at[0].toDouble()), at[1].toInt());
      });
}

void WebEngineBrowser::scrollTo(int y) {
  view_->page()->runJavaScript(QStringLiteral("window.scrollTo(0, %1)").arg(y), QWebEngineScript::ApplicationWorld);
}

WebEngineBrowser::~WebEngineBrowser() {
  // The page must go before its profile, whichever of the two its owners delete first.
  delete view_.data();
}

QWidget* WebEngineBrowser::widget() { return view_; }

void WebEngineBrowser::reportFailure(const QString& location, const QString& reason) {
  qCWarning(lcBrowser) << "loading" << location << "failed" << reason;
  location_ = location;
  links_.clear();
  title_.clear();
  pageHeight_ = 0;
  rewrittenLinks_.clear();
  loadSucceeded_ = false;
  emit documentComplete();
}

void WebEngineBrowser::readLinksAndReport(const QString& location) {
  // The start-up benchmark (bench/startup) times the reader to this line.
  qCDebug(lcBrowser).noquote() << "loaded" << location;
  view_->page()->runJavaScript(
      QStringLiteral("[Array.from(document.links, function (a) { return a.href; }),"
                     " document.documentElement ? document.documentElement.scrollHeight : 0]"),
      QWebEngineScript::ApplicationWorld, [this, location](const QVariant& result) {
        const QVariantList linksAndHeight = result.toList();
        location_ = location;
        links_ = linksAndHeight.value(0).toStringList();
        pageHeight_ = linksAndHeight.value(1).toInt();
        title_ = view_->title();
        rewrittenLinks_.clear();
        loadSucceeded_ = true;
        emit documentComplete();
      });
}

std::optional<QString> WebEngineBrowser::linkHref(int i) const {
  if (i < 0 || i >= links_.size()) return std::nullopt;
  return links_[i];
}

bool WebEngineBrowser::setLinkHref(int i, const QString& href) {
  if (i < 0 || i >= links_.size()) return false;
  links_[i] = href;
  rewrittenLinks_[i] = href;  // put back if the page has to be loaded again behind the viewer's back
  writeLink(view_->page(), i, href);
  return true;
}

void WebEngineBrowser::navigate(const QString& url) {
  userNavigates();
  view_->load(QUrl(url));
}

bool WebEngineBrowser::canGoBack() const { return view_->history()->canGoBack(); }

void WebEngineBrowser::goBack() {
  userNavigates();
  view_->back();
}

Result<int> WebEngineBrowser::printStatus() const {
  if (!view_) return Result<int>::failed(QStringLiteral("The browser cannot print its pages."));
  // While a page loads there is nothing whole to print yet; the command is there, but off.
  if (view_->page()->isLoading()) return kPrintSupported;
  if (view_->url().isEmpty()) return Result<int>::failed(QStringLiteral("The browser holds no page."));
  return kPrintSupported | kPrintEnabled;
}

Done WebEngineBrowser::print(QPrinter& printer) {
  if (!view_) return Done::failed(QStringLiteral("The browser cannot print its pages."));
  QPointer<QWebEngineView> watched(view_);
  QEventLoop loop;
  bool printed = false;
  const auto finished = connect(view_, &QWebEngineView::printFinished, &loop, [&](bool success) {
    printed = success;
    loop.quit();
  });
  connect(view_, &QObject::destroyed, &loop, &QEventLoop::quit);
  view_->print(&printer);
  loop.exec();
  if (watched) disconnect(finished);
  if (!printed) {
    qCWarning(lcBrowser) << "the page" << view_->url().toString() << "could not be printed";
    return Done::failed(QStringLiteral("The page could not be printed."));
  }
  return {};
}

// ---- Reading aids ----------------------------------------------------------------------

void WebEngineBrowser::setZoom(double factor) { view_->setZoomFactor(factor); }

void WebEngineBrowser::find(const QString& text, bool backward) {
  const QWebEnginePage::FindFlags flags = backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
  QPointer<WebEngineBrowser> self(this);
  view_->page()->findText(text, flags, [self, text](const QWebEngineFindTextResult& result) {
    if (!self) return;
    qCDebug(lcBrowser).noquote()
        << QStringLiteral("found \"%1\": %2 of %3").arg(text).arg(result.activeMatch()).arg(result.numberOfMatches());
    emit self->found(result.activeMatch(), result.numberOfMatches());
  });
}

void WebEngineBrowser::markWords(const QStringList& words, const QString& foldFrom, const QString& foldTo) {
  // Text nodes are split around each word and the word put in a <mark>; scripts, styles and
  // form fields keep their text as it is. The first mark comes into view only when it is
  // not in view already, so a page whose first match is near its top does not move.
  static const QString script = QStringLiteral(R"((function (words, from, to) {
  var wanted = new Set(words), fold = new Map();
  for (var i = 0; i < from.length && i < to.length; ++i) fold.set(from[i], to[i]);
  if (!document.body) return 0;
  var skip = /^(SCRIPT|STYLE|NOSCRIPT|TEXTAREA|TITLE|MARK)$/;
  var walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT, {
    acceptNode: function (n) { return skip.test(n.parentNode.nodeName) ? NodeFilter.FILTER_REJECT : NodeFilter.FILTER_ACCEPT; }
  });
  var nodes = [];
  for (var n = walker.nextNode(); n; n = walker.nextNode()) nodes.push(n);
  var word = /[\p{L}\p{N}]+/gu, first = null, count = 0;
  nodes.forEach(function (node) {
    var hits = [], m;
    word.lastIndex = 0;
    while ((m = word.exec(node.data)) !== null) {
      var folded = '';
      for (var c of m[0]) folded += fold.get(c) || c;
      if (wanted.has(folded)) hits.push([m.index, m[0].length]);
    }
    for (var j = hits.length - 1; j >= 0; --j) {
      var hit = node.splitText(hits[j][0]);
      hit.splitText(hits[j][1]);
      var mark = document.createElement('mark');
      mark.setAttribute('data-tavrin-term', '');
      mark.style.cssText = 'background:#fde047;color:#000;border-radius:2px;padding:0;margin:0';
      hit.parentNode.replaceChild(mark, hit);
      mark.appendChild(hit);
      if (j === 0 && !first) first = mark;
      ++count;
    }
  });
  if (first) {
    var r = first.getBoundingClientRect();
    if (r.top < 0 || r.bottom > window.innerHeight || r.left < 0 || r.right > window.innerWidth)
      first.scrollIntoView({block: 'center', inline: 'nearest'});
  }
  return count;
}))");
  // The lists travel as JSON, which quotes them safely for the script.
  const QByteArray args =
      QJsonDocument(QJsonArray{QJsonArray::fromStringList(words), foldFrom, foldTo}).toJson(QJsonDocument::Compact);
  const QString call = script + QStringLiteral(".apply(null, ") + QString::fromUtf8(args) + u')';
  const QString location = location_;
  view_->page()->runJavaScript(call, QWebEngineScript::ApplicationWorld, [location](const QVariant& marked) {
    qCDebug(lcBrowser).noquote() << "marked" << marked.toInt() << "words in" << location;
  });
}

// ---- Recovery from crashes and failed loads ---------------------------------------------

void WebEngineBrowser::setUpRecovery() {
  clock_.start();
  blocker_ = new StandInBlocker(this);
  retryTimer_.setSingleShot(true);
  retryTimer_.setInterval(pagerecovery::kRetryInterval);
  connect(&retryTimer_, &QTimer::timeout, this, &WebEngineBrowser::retry);
  pageTimeLimit_.setSingleShot(true);
  connect(&pageTimeLimit_, &QTimer::timeout, this, &WebEngineBrowser::onPageTimeLimit);
  QWebEnginePage* page = view_->page();
  connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::onLoadingChanged);
  connect(page, &QWebEnginePage::navigationRequested, this, &WebEngineBrowser::onNavigationRequested);
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            onRendererEnded(status, exitCode);
          });
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) {
    loading_ = info.url();
    pageTimeLimit_.start();
    return;
  }
  pageTimeLimit_.stop();
  loading_.clear();
  const bool own = std::exchange(ownLoad_, false);
  const QString location = info.url().toString();

  if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus) {
    endRecovery();
    const QString shown = view_->url().toString();
    if (own && shown == location_ && loadSucceeded_) {
      // The page the viewer has is back, as it had it.
      qCInfo(lcBrowser) << "the page" << shown << "is on show again";
      for (auto it = rewrittenLinks_.cbegin(); it != rewrittenLinks_.cend(); ++it)
        writeLink(view_->page(), it.key(), it.value());
      return;
    }
    return readLinksAndReport(shown);
  }

  if (info.status() == QWebEngineLoadingInfo::LoadStoppedStatus) {
    if (std::exchange(timedOut_, false))
      return failed(info.url(), pagerecovery::Trouble::TimedOut,
                    QStringLiteral("nothing came within %1 ms").arg(pageTimeLimit_.interval()), own);
    if (!cutShort_.isEmpty() && std::exchange(cutShort_, {}) == info.url()) return;
    if (own) return;  // the browser's own load gave way to the user's
    return reportFailure(view_->url().toString(), info.errorString());
  }

  if (own && standInLoading_) {
    stopBlocking();
    return showStandIn();
  }
  if (!info.isErrorPage()) {
    // The server answered, with a page of its own that says why: that stays on show.
    endRecovery();
    if (own && location == location_ && !loadSucceeded_) return;
    return reportFailure(view_->url().toString(), info.errorString());
  }
  failed(info.url(), mendedByAskingAgain(info) ? pagerecovery::Trouble::NoAnswer : pagerecovery::Trouble::Refused,
         info.errorString(), own);
}

void WebEngineBrowser::failed(const QUrl& address, pagerecovery::Trouble trouble, const QString& reason, bool ownLoad) {
  using pagerecovery::Trouble;
  standIn_ = StandIn{address, trouble, reason};
  if (trouble == Trouble::TimedOut)
    loadStandIn();
  else
    showStandIn();
  if (trouble == Trouble::NoAnswer || trouble == Trouble::TimedOut)
    retryTimer_.start();
  else
    retryTimer_.stop();
  // Last: the viewer may send the browser elsewhere as it hears of the failure.
  const QString location = address.toString();
  if (ownLoad && location == location_ && !loadSucceeded_) {
    qCDebug(lcBrowser) << "still no" << location << ":" << reason;
    return;
  }
  reportFailure(location, reason);
}

void WebEngineBrowser::loadStandIn() {
  // Every request waits for the interceptor while one is set: it is there for this load only.
  blocker_->blockOnce = standIn_->address;
  profile_->setUrlRequestInterceptor(blocker_);
  standInLoading_ = true;
  startOwnLoad(standIn_->address, false);
}

void WebEngineBrowser::showStandIn() {
  if (!standIn_) return;
  const QString page = pagerecovery::standInPage(standIn_->trouble, standIn_->address.toString(), standIn_->reason,
                                                 std::chrono::milliseconds(pageTimeLimit_.interval()));
  // Written over the browser's error page, which holds the failed address in the history.
  const QByteArray arg = QJsonDocument(QJsonArray{page}).toJson(QJsonDocument::Compact);
  view_->page()->runJavaScript(
      QStringLiteral("(function (h) { document.open(); document.write(h[0]); document.close(); })(%1)")
          .arg(QString::fromUtf8(arg)),
      QWebEngineScript::ApplicationWorld);
}

void WebEngineBrowser::retry() {
  if (!standIn_) return;
  if (!loading_.isEmpty()) return retryTimer_.start();  // one load at a time
  qCDebug(lcBrowser) << "asking again for" << standIn_->address;
  // A reload keeps the failed page's one place in the history.
  startOwnLoad(standIn_->address, view_->url() == standIn_->address);
}

void WebEngineBrowser::startOwnLoad(const QUrl& address, bool reload) {
  ownLoad_ = true;
  ownNavigationNext_ = true;
  if (reload)
    view_->page()->triggerAction(QWebEnginePage::Reload);
  else
    view_->load(address);
}

void WebEngineBrowser::userNavigates() {
  endRecovery();
  // A load of the browser's own that this one cuts short ends unheard of.
  if (std::exchange(ownLoad_, false) && !loading_.isEmpty()) cutShort_ = loading_;
}

void WebEngineBrowser::stopBlocking() {
  if (!standInLoading_) return;
  standInLoading_ = false;
  blocker_->blockOnce.clear();
  profile_->setUrlRequestInterceptor(nullptr);
}

void WebEngineBrowser::endRecovery() {
  standIn_.reset();
  retryTimer_.stop();
  stopBlocking();
  ownNavigationNext_ = false;
}

void WebEngineBrowser::onNavigationRequested(QWebEngineNavigationRequest& request) {
  if (!request.isMainFrame() || request.navigationType() == QWebEngineNavigationRequest::RedirectNavigation) return;
  if (std::exchange(ownNavigationNext_, false)) return;
  if (standIn_ && request.navigationType() == QWebEngineNavigationRequest::LinkClickedNavigation &&
      request.url() == standIn_->address) {
    // The stand-in's own Retry or Reload link: asked for now, as the browser would.
    if (standIn_->trouble == pagerecovery::Trouble::Crashed) crashes_.reset();
    retryTimer_.stop();
    ownLoad_ = true;
    return;
  }
  // The user went elsewhere: by a link, or the browser's own menu.
  userNavigates();
}

void WebEngineBrowser::onPageTimeLimit() {
  if (loading_.isEmpty()) return;
  qCWarning(lcBrowser) << loading_.toString() << "did not arrive within" << pageTimeLimit_.interval() << "ms";
  timedOut_ = true;
  view_->page()->triggerAction(QWebEnginePage::Stop);
}

void WebEngineBrowser::onRendererEnded(int status, int exitCode) {
  const QUrl address = loading_.isEmpty() ? view_->url() : loading_;
  qCWarning(lcBrowser) << "the page renderer ended, status" << status << "exit code" << exitCode << "on"
                       << address.toString();
  pageTimeLimit_.stop();
  loading_.clear();
  if (address.isEmpty()) return;
  if (!crashes_.restoreAfterCrash(std::chrono::milliseconds(clock_.elapsed()))) {
    qCWarning(lcBrowser) << "the page renderer ended" << pagerecovery::CrashWindow::kLimit
                         << "times within a minute: it is left until the user reloads the page";
    endRecovery();
    standIn_ = StandIn{address, pagerecovery::Trouble::Crashed, {}};
    QTimer::singleShot(0, this, [this] {
      if (standIn_) loadStandIn();
    });
    return;
  }
  // Once the crash has been dealt with; the viewer hears of nothing it had already.
  QTimer::singleShot(0, this, [this, address] { startOwnLoad(address, view_->url() == address); });
}
