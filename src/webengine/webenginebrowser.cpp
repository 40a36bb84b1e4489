#include "webengine/webenginebrowser.h"

#include <QLoggingCategory>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>
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
