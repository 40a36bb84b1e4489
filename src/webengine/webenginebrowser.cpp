#include "webengine/webenginebrowser.h"

#include <QLoggingCategory>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
#include <QWebEngineFindTextResult>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineView>

namespace {
Q_LOGGING_CATEGORY(lcBrowser, "tavrin.browser", QtInfoMsg)
}  // namespace

WebEngineBrowser::WebEngineBrowser(QWidget* parent)
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
  connect(view_, &QWebEngineView::loadFinished, this, &WebEngineBrowser::onLoadFinished);
}

WebEngineBrowser::~WebEngineBrowser() {
  // The page must go before its profile, whichever of the two its owners delete first.
  delete view_.data();
}

QWidget* WebEngineBrowser::widget() { return view_; }

void WebEngineBrowser::onLoadFinished(bool ok) {
  const QString location = view_->url().toString();
  if (!ok) {
    // What is on show is the browser's error page; its links lead nowhere in the course.
    qCWarning(lcBrowser) << "loading" << location << "failed";
    location_ = location;
    links_.clear();
    loadSucceeded_ = false;
    emit documentComplete();
    return;
  }
  // The start-up benchmark (bench/startup) times the reader to this line.
  qCDebug(lcBrowser).noquote() << "loaded" << location;
  view_->page()->runJavaScript(QStringLiteral("Array.from(document.links, function (a) { return a.href; })"),
                               QWebEngineScript::ApplicationWorld, [this, location](const QVariant& result) {
                                 location_ = location;
                                 links_ = result.toStringList();
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
  // The address travels as a JSON array, which quotes it safely for the script.
  const QByteArray arg = QJsonDocument(QJsonArray{href}).toJson(QJsonDocument::Compact);
  const QString script = QStringLiteral("(function (h) { var a = document.links[%1]; if (a) a.href = h[0]; })(%2)")
                             .arg(i)
                             .arg(QString::fromUtf8(arg));
  view_->page()->runJavaScript(script, QWebEngineScript::ApplicationWorld);
  return true;
}

void WebEngineBrowser::navigate(const QString& url) { view_->load(QUrl(url)); }

bool WebEngineBrowser::canGoBack() const { return view_->history()->canGoBack(); }

void WebEngineBrowser::goBack() { view_->back(); }

Browser::PrintStatus WebEngineBrowser::printStatus() const {
  if (!view_) return {std::nullopt, QStringLiteral("The browser cannot print its pages.")};
  // While a page loads there is nothing whole to print yet; the command is there, but off.
  if (view_->page()->isLoading()) return {kPrintSupported, {}};
  if (view_->url().isEmpty()) return {std::nullopt, QStringLiteral("The browser holds no page.")};
  return {kPrintSupported | kPrintEnabled, {}};
}

std::optional<QString> WebEngineBrowser::print(QPrinter& printer) {
  if (!view_) return QStringLiteral("The browser cannot print its pages.");
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
    return QStringLiteral("The page could not be printed.");
  }
  return std::nullopt;
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
