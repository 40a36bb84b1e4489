#include "webengine/webenginebrowser.h"

#include "platform/logging.h"
#include "webengine/sandbox.h"

#include <QLoggingCategory>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
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

#include <unistd.h>
#include <csignal>
#include <utility>

namespace {
// Chromium's network errors that the browser tells apart.
namespace neterror {
constexpr int kTimedOut = -7;            // ERR_TIMED_OUT
constexpr int kBlockedByClient = -20;    // ERR_BLOCKED_BY_CLIENT: the blocked load that makes room for the stand-in
constexpr int kNetworkChanged = -21;     // ERR_NETWORK_CHANGED
constexpr int kDisallowedScheme = -301;  // ERR_DISALLOWED_URL_SCHEME
constexpr int kUnknownScheme = -302;     // ERR_UNKNOWN_URL_SCHEME
constexpr int kInvalidRedirect = -303;   // ERR_INVALID_REDIRECT
constexpr int kTooManyRedirects = -310;  // ERR_TOO_MANY_REDIRECTS
constexpr int kUnsafeRedirect = -311;    // ERR_UNSAFE_REDIRECT: to file:, say
}  // namespace neterror

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
// a network that changed or timed out. Answers of the server, refused certificates and
// redirects that lead nowhere a page may go stay as they are.
bool mendedByAskingAgain(const QWebEngineLoadingInfo& info) {
  switch (info.errorDomain()) {
    case QWebEngineLoadingInfo::ConnectionErrorDomain:
    case QWebEngineLoadingInfo::DnsErrorDomain: return true;
    case QWebEngineLoadingInfo::HttpErrorDomain:
      switch (info.errorCode()) {
        case neterror::kDisallowedScheme:
        case neterror::kUnknownScheme:
        case neterror::kInvalidRedirect:
        case neterror::kTooManyRedirects:
        case neterror::kUnsafeRedirect: return false;
        default: return true;
      }
    case QWebEngineLoadingInfo::InternalErrorDomain:
      return info.errorCode() == neterror::kTimedOut || info.errorCode() == neterror::kNetworkChanged;
    default: return false;
  }
}

// Chromium counts a navigation 10 % on its way as it starts, before anything of the page
// has come.
constexpr int kProgressAtStart = 10;
// How often the page renderer's size is read while a page loads.
constexpr std::chrono::milliseconds kRendererWatch{250};
// How long a load the browser stopped may take to say so.
constexpr std::chrono::seconds kStopGrace{2};
// How often the blocked load for a stand-in is made again when something else ends it.
constexpr int kRoomAttempts = 3;
// How long after a click on a link the navigation it starts counts as the user's.
constexpr qint64 kClickMs = 2000;

// The bytes of the process `pid` in memory, or -1 when they cannot be read.
qint64 residentBytes(qint64 pid) {
  QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
  if (!statm.open(QIODevice::ReadOnly)) return -1;
  const QList<QByteArray> fields = statm.readLine().split(' ');
  bool ok = false;
  const qint64 pages = fields.value(1).toLongLong(&ok);
  return ok ? pages * ::sysconf(_SC_PAGESIZE) : -1;
}

// Records the last link the user clicked (a click of the page's own script is no user's), in
// the browser's own script world, which the page can neither see nor touch.
const char* const kRecordClicks = R"(window.addEventListener('click', function (e) {
  if (!e.isTrusted || !e.target || !e.target.closest) return;
  var a = e.target.closest('a[href]');
  if (a) window.tavrinClick = {href: String(a.href), at: Date.now()};
}, true);)";
// The link clicked last, if it was clicked within kClickMs.
const char* const kTakeClick = R"((function () {
  var c = window.tavrinClick;
  window.tavrinClick = null;
  return c && Date.now() - c.at < %1 ? c.href : '';
})())";

}  // namespace

// A page that never arrived leaves nothing on show to hold its stand-in. A load that is
// blocked at once leaves the browser's error page at the page's address instead, in the
// history where a refused connection leaves it, and the stand-in is written into that.
class StandInBlocker : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  QUrl blocked;  // while the blocked load for its stand-in is on its way
  bool installed = false;

  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!blocked.isEmpty() && info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame &&
        info.requestUrl() == blocked)
      info.block(true);
  }
};

// The page, with the messages it asks to show put through the browser's gate.
class CoursePage : public QWebEnginePage {
 public:
  CoursePage(QWebEngineProfile* profile, QObject* parent, WebEngineBrowser& browser)
      : QWebEnginePage(profile, parent), browser_(browser) {}

 protected:
  void javaScriptAlert(const QUrl& origin, const QString& message) override {
    if (!browser_.mayShowDialog()) return;
    QWebEnginePage::javaScriptAlert(origin, message);
    browser_.dialogClosed();
  }
  bool javaScriptConfirm(const QUrl& origin, const QString& message) override {
    // Asked before a page is left: a course page holds nothing that leaving loses, and the
    // reader's commands do not wait on a page's word.
    if (message == leaveQuestion()) return true;
    if (!browser_.mayShowDialog()) return false;
    const bool yes = QWebEnginePage::javaScriptConfirm(origin, message);
    browser_.dialogClosed();
    return yes;
  }
  bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& defaultValue,
                        QString* result) override {
    if (!browser_.mayShowDialog()) return false;
    const bool given = QWebEnginePage::javaScriptPrompt(origin, message, defaultValue, result);
    browser_.dialogClosed();
    return given;
  }

 private:
  // The engine's own question before a page with an unload handler is left.
  static QString leaveQuestion() {
    return QCoreApplication::translate("QWebEnginePage",
                                       "Are you sure you want to leave this page? Changes that you made may not be "
                                       "saved.");
  }

  WebEngineBrowser& browser_;
};

WebEngineBrowser::WebEngineBrowser(QWidget* parent, const QUrl& courseBase, std::chrono::milliseconds pageTimeLimit)
    : Browser(parent),
      courseBase_(courseBase),
      // Off the record: the course server is the only state the reader relies on, and
      // concurrent copies (launchers, tests) never fight over a profile on disk.
      profile_(new QWebEngineProfile(this)),
      view_(new QWebEngineView(parent)) {
  view_->setPage(new CoursePage(profile_, view_, *this));
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
  QWebEngineScript clicks;
  clicks.setName(QStringLiteral("userClicks"));
  clicks.setInjectionPoint(QWebEngineScript::DocumentCreation);
  clicks.setWorldId(QWebEngineScript::ApplicationWorld);
  clicks.setSourceCode(QString::fromLatin1(kRecordClicks));
  profile_->scripts()->insert(clicks);
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
  qCDebug(lcBrowser).noquote() << "the page" << location << "arrived";
  // The mark the benchmarks time a page's arrival by (bench/startup): its words stay as they are.
  qCDebug(lcBench).noquote() << "loaded" << location;
  view_->page()->runJavaScript(QStringLiteral("[Array.from(document.links, function (a) { return a.href; }),"
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
  const QUrl address(url);
  if (!pagerecovery::onCourse(address, courseBase_)) {
    qCWarning(lcBrowser).noquote() << "not a page of the course, not shown:" << url;
    return;
  }
  userNavigates();
  dialogs_.reset();  // a page the reader's own command asks for shows its messages again
  view_->load(address);
}

bool WebEngineBrowser::canGoBack() const { return view_->history()->canGoBack(); }

void WebEngineBrowser::goBack() {
  userNavigates();
  dialogs_.reset();
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

// ---- The load on its way ----------------------------------------------------------------

void WebEngineBrowser::onNavigationRequested(QWebEngineNavigationRequest& request) {
  using Type = QWebEngineNavigationRequest::NavigationType;
  if (!request.isMainFrame()) return;
  const QUrl address = request.url();
  const Type type = request.navigationType();
  if (type == Type::RedirectNavigation) {
    if (pagerecovery::onCourse(address, courseBase_)) return;  // the same load goes on
    request.reject();
    qCWarning(lcBrowser).noquote() << QStringLiteral("%1 leads off the course, to %2: not followed")
                                          .arg(load_ ? load_->address.toString() : QStringLiteral("a page"),
                                               address.toString());
    if (load_ && load_->cut == Cut::No) {
      load_->cut = Cut::LedAway;
      load_->ledTo = address;
    }
    return;
  }
  // The browser's own loads: it loads or reloads the address itself. One may be asked for
  // late, after another of its own began (a renderer that ended between them).
  if (ownNext_ && ownNext_->address == address && (type == Type::TypedNavigation || type == Type::ReloadNavigation))
    return beginLoad(address, ownNext_->asker);
  // The program's own loads are the course's by then (navigate() sees to it); a document a
  // test writes is one too.
  if (type != Type::TypedNavigation && !pagerecovery::onCourse(address, courseBase_)) {
    request.reject();
    return refuse(address, type == Type::LinkClickedNavigation);
  }
  if (standIn_ && type == Type::LinkClickedNavigation && address == standIn_->address) {
    // The stand-in's own Retry or Reload link: asked for now, as the browser would.
    if (standIn_->trouble == pagerecovery::Trouble::Crashed) crashes_.reset();
    dialogs_.reset();
    retryTimer_.stop();
    return beginLoad(address, Asker::Again);
  }
  // The user went elsewhere: by a link, or the browser's own menu.
  userNavigates();
  beginLoad(address, Asker::User);
}

void WebEngineBrowser::beginLoad(const QUrl& address, Asker asker) {
  load_.emplace();
  load_->address = address;
  load_->asker = asker;
  if (asker == Asker::MakingRoom) {  // blocked at once, and nothing of it is shown
    pageTimeLimit_.stop();
    rendererWatch_.stop();
    return;
  }
  // Each load has all of the time limit, a load begun while another is on its way too.
  pageTimeLimit_.start();
  load_->renderer = view_->page()->renderProcessPid();
  load_->rendererStart = load_->renderer > 0 ? residentBytes(load_->renderer) : -1;
  rendererWatch_.start();
}

void WebEngineBrowser::onLoadingChanged(const QWebEngineLoadingInfo& info) {
  // A load is followed from its navigation's request: the engine says nothing of a start
  // for a load begun while another was on its way.
  if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus) return;
  // Once, after the first page, off the way of the start: the renderer's sandbox.
  static bool sandboxNoted = false;
  if (!std::exchange(sandboxNoted, true)) QTimer::singleShot(0, this, [] { sandbox::noteMissingNamespaces(); });
  onLoadEnded(info);
}

void WebEngineBrowser::onLoadEnded(const QWebEngineLoadingInfo& info) {
  using pagerecovery::Trouble;
  // A load the page renderer's end broke off: that end is dealt with on its own.
  if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() == 0 && !info.isErrorPage()) return;
  std::optional<Load> load = std::exchange(load_, std::nullopt);
  pageTimeLimit_.stop();
  rendererWatch_.stop();
  if (load && load->cut != Cut::No) return endCutLoad(*load);
  // A navigation refused while nothing else was on its way changed nothing on show.
  if (!load && info.status() == QWebEngineLoadingInfo::LoadStoppedStatus) return;
  const Asker asker = load ? load->asker : Asker::User;
  const bool own = asker != Asker::User;

  // The blocked load that makes room for the stand-in (only the browser blocks a page). A
  // renderer that ends just then leaves no error page, and can make it look like a load of
  // any other kind: the room is made again.
  if (standIn_ && info.errorCode() == neterror::kBlockedByClient && info.url() == standIn_->address) {
    if (!info.isErrorPage()) return makeRoomAgain(info.errorString());
    stopBlocking();
    roomAttempts_ = 0;
    return showStandIn();
  }
  if (asker == Asker::MakingRoom && info.status() != QWebEngineLoadingInfo::LoadSucceededStatus)
    return makeRoomAgain(info.errorString());

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
    if (own) return;  // the browser's own load gave way
    return reportFailure(view_->url().toString(), info.errorString());
  }

  if (!info.isErrorPage()) {
    // The server answered, with a page of its own that says why: that stays on show.
    endRecovery();
    if (own && info.url().toString() == location_ && !loadSucceeded_) return;
    return reportFailure(view_->url().toString(), info.errorString());
  }
  failed(info.url(), mendedByAskingAgain(info) ? Trouble::NoAnswer : Trouble::Refused, info.errorString(), asker, true);
}

void WebEngineBrowser::endCutLoad(const Load& load) {
  using pagerecovery::Trouble;
  const qint64 limitMs = pageTimeLimit_.interval();
  switch (load.cut) {
    case Cut::No: break;
    case Cut::TimeLimit:
      if (load.arriving)
        return failed(load.address, Trouble::Unfinished,
                      QStringLiteral("it had not all come within %1 ms").arg(limitMs), load.asker, false);
      return failed(load.address, Trouble::TimedOut, QStringLiteral("nothing came within %1 ms").arg(limitMs),
                    load.asker, false);
    case Cut::TooLarge:
      return failed(load.address, Trouble::TooLarge,
                    QStringLiteral("it grew past %1 MB").arg(pagerecovery::kPageMemoryLimit / (1024 * 1024)),
                    load.asker, false);
    case Cut::LedAway:
      return failed(load.address, Trouble::Refused,
                    QStringLiteral("it leads off the course, to %1").arg(load.ledTo.toString()), load.asker, false);
  }
}

void WebEngineBrowser::cutLoad(Cut cut) {
  load_->cut = cut;
  pageTimeLimit_.stop();
  rendererWatch_.stop();
  view_->page()->triggerAction(QWebEnginePage::Stop);
  // Should the engine not say that the load has ended, it ends here.
  QTimer::singleShot(kStopGrace, this, [this, address = load_->address] {
    if (!load_ || load_->cut == Cut::No || load_->address != address) return;
    endCutLoad(*std::exchange(load_, std::nullopt));
  });
}

void WebEngineBrowser::onPageTimeLimit() {
  if (!load_ || load_->cut != Cut::No) return;
  qCWarning(lcBrowser) << load_->address.toString() << "did not arrive within" << pageTimeLimit_.interval() << "ms";
  cutLoad(Cut::TimeLimit);
}

void WebEngineBrowser::measureRenderer() {
  if (!load_ || load_->cut != Cut::No) return rendererWatch_.stop();
  const qint64 renderer = view_->page()->renderProcessPid();
  const qint64 size = renderer > 0 ? residentBytes(renderer) : -1;
  if (size < 0) return;
  if (renderer != load_->renderer || load_->rendererStart < 0) {
    // A renderer of its own for this page: measured from now.
    load_->renderer = renderer;
    load_->rendererStart = size;
    return;
  }
  if (size - load_->rendererStart <= pagerecovery::kPageMemoryLimit) return;
  qCWarning(lcBrowser) << load_->address.toString() << "grew the page renderer by"
                       << (size - load_->rendererStart) / (1024 * 1024) << "MB as it loaded: stopped";
  cutLoad(Cut::TooLarge);
}

void WebEngineBrowser::startOwnLoad(const QUrl& address, Asker asker, bool reload) {
  ownNext_ = OwnLoad{address, asker};
  if (reload)
    view_->page()->triggerAction(QWebEnginePage::Reload);
  else
    view_->load(address);
}

void WebEngineBrowser::refuse(const QUrl& address, bool followsAClick) {
  const bool web = address.scheme() == u"http" || address.scheme() == u"https";
  if (!followsAClick || !web) {
    qCWarning(lcBrowser).noquote()
        << QStringLiteral("a page asked for %1, off the course: not shown").arg(address.toString());
    return;
  }
  // A link the user clicked leads out of the reader, into the desktop's browser; one the
  // page's script followed leads nowhere.
  QPointer<WebEngineBrowser> self(this);
  view_->page()->runJavaScript(
      QString::fromLatin1(kTakeClick).arg(kClickMs), QWebEngineScript::ApplicationWorld,
      [self, address](const QVariant& clicked) {
        if (!self) return;
        if (QUrl(clicked.toString()) != address) {
          qCWarning(lcBrowser).noquote()
              << QStringLiteral("a page asked for %1, off the course: not shown").arg(address.toString());
          return;
        }
        qCInfo(lcBrowser).noquote()
            << QStringLiteral("a link off the course, to %1, opens in the desktop's browser").arg(address.toString());
        if (!QDesktopServices::openUrl(address))
          qCWarning(lcBrowser).noquote() << "the desktop's browser did not open" << address.toString();
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
  rendererWatch_.setInterval(kRendererWatch);
  connect(&rendererWatch_, &QTimer::timeout, this, &WebEngineBrowser::measureRenderer);
  QWebEnginePage* page = view_->page();
  connect(page, &QWebEnginePage::loadingChanged, this, &WebEngineBrowser::onLoadingChanged);
  connect(page, &QWebEnginePage::loadProgress, this, [this](int progress) {
    // The engine says 100 % as any load ends, one the browser stopped too.
    if (load_ && load_->cut == Cut::No && progress > kProgressAtStart && progress < 100) load_->arriving = true;
  });
  connect(page, &QWebEnginePage::navigationRequested, this, &WebEngineBrowser::onNavigationRequested);
  connect(page, &QWebEnginePage::renderProcessTerminated, this,
          [this](QWebEnginePage::RenderProcessTerminationStatus status, int exitCode) {
            onRendererEnded(status, exitCode);
          });
}

void WebEngineBrowser::failed(const QUrl& address, pagerecovery::Trouble trouble, const QString& reason, Asker asker,
                              bool onErrorPage) {
  using pagerecovery::Trouble;
  standIn_ = StandIn{address, trouble, reason};
  if (onErrorPage) {
    showStandIn();
  } else {
    // What is on show is the last page, what came of this one, or nothing (its renderer
    // ended): a blocked load puts an error page at the address first, once the load that
    // ended has been dealt with.
    QTimer::singleShot(0, this, [this] {
      if (standIn_ && !usersLoad()) loadStandIn();
    });
  }
  if (pagerecovery::askedForAgain(trouble))
    retryTimer_.start();
  else
    retryTimer_.stop();
  // Last: the viewer may send the browser elsewhere as it hears of the failure.
  const QString location = address.toString();
  if (asker != Asker::User && location == location_ && !loadSucceeded_) {
    qCDebug(lcBrowser) << "still no" << location << ":" << reason;
    return;
  }
  reportFailure(location, reason);
}

void WebEngineBrowser::loadStandIn() {
  // Every request waits for the interceptor while one is set: it is there for this load only.
  blocker_->blocked = standIn_->address;
  if (!std::exchange(blocker_->installed, true)) profile_->setUrlRequestInterceptor(blocker_);
  startOwnLoad(standIn_->address, Asker::MakingRoom, false);
}

void WebEngineBrowser::makeRoomAgain(const QString& why) {
  stopBlocking();
  if (!standIn_) return;
  if (++roomAttempts_ > kRoomAttempts) {
    qCWarning(lcBrowser) << "the page of the program's own for" << standIn_->address.toString()
                         << "could not be shown:" << why;
    return;
  }
  QTimer::singleShot(0, this, [this] {
    if (standIn_ && !usersLoad()) loadStandIn();
  });
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
  if (load_) return retryTimer_.start();  // one load at a time
  qCDebug(lcBrowser) << "asking again for" << standIn_->address;
  // A reload keeps the failed page's one place in the history.
  startOwnLoad(standIn_->address, Asker::Again, view_->url() == standIn_->address);
}

void WebEngineBrowser::userNavigates() {
  endRecovery();
  ownNext_.reset();
}

void WebEngineBrowser::stopBlocking() {
  blocker_->blocked.clear();
  if (std::exchange(blocker_->installed, false)) profile_->setUrlRequestInterceptor(nullptr);
}

void WebEngineBrowser::endRecovery() {
  standIn_.reset();
  retryTimer_.stop();
  stopBlocking();
  roomAttempts_ = 0;
}

void WebEngineBrowser::onRendererEnded(int status, int exitCode) {
  const std::optional<Load> load = std::exchange(load_, std::nullopt);
  pageTimeLimit_.stop();
  rendererWatch_.stop();
  roomAttempts_ = 0;  // what a renderer's end did to a load of the browser's own is mended below
  const QUrl address = load ? load->address : view_->url();
  if (std::exchange(stopping_, false)) {
    endRecovery();
    return failed(address, pagerecovery::Trouble::Stopped, QStringLiteral("it kept asking to show messages"),
                  Asker::User, false);
  }
  qCWarning(lcBrowser) << "the page renderer ended, status" << status << "exit code" << exitCode << "on"
                       << address.toString();
  if (address.isEmpty()) return;
  if (!crashes_.restoreAfterCrash(std::chrono::milliseconds(clock_.elapsed()))) {
    qCWarning(lcBrowser) << "the page renderer ended" << pagerecovery::CrashWindow::kLimit
                         << "times within a minute: it is left until the user reloads the page";
    endRecovery();
    standIn_ = StandIn{address, pagerecovery::Trouble::Crashed, {}};
    QTimer::singleShot(0, this, [this] {
      if (standIn_ && !usersLoad()) loadStandIn();
    });
    return;
  }
  // Once the crash has been dealt with; the viewer hears of nothing it had already. A load
  // the user began meanwhile goes on instead.
  QTimer::singleShot(0, this, [this, address] {
    if (!usersLoad()) startOwnLoad(address, Asker::Again, view_->url() == address);
  });
}

// ---- Messages a page puts up ------------------------------------------------------------

bool WebEngineBrowser::mayShowDialog() {
  using Answer = pagerecovery::DialogGate::Answer;
  switch (dialogs_.ask(std::chrono::milliseconds(clock_.elapsed()))) {
    case Answer::Show: return true;
    case Answer::HoldBack:
      if (dialogs_.heldBack() == 1)
        qCWarning(lcBrowser) << "the page" << view_->url().toString()
                             << "asks for one message after another: its messages are held back";
      return false;
    case Answer::StopPage: QTimer::singleShot(0, this, &WebEngineBrowser::stopPage); return false;
  }
  return false;
}

void WebEngineBrowser::dialogClosed() { dialogs_.closed(std::chrono::milliseconds(clock_.elapsed())); }

void WebEngineBrowser::stopPage() {
  const qint64 renderer = view_->page()->renderProcessPid();
  if (stopping_ || renderer <= 0) return;
  qCWarning(lcBrowser) << "the page" << view_->url().toString()
                       << "goes on asking for messages while they are held back: its renderer is ended";
  // Its script never returns to the renderer's loop, so nothing but the renderer's end stops it.
  stopping_ = ::kill(static_cast<pid_t>(renderer), SIGKILL) == 0;
}
