#include "logic/pagearrival.h"

#include "logic/launcher.h"
#include "logic/searchquery.h"
#include "platform/browser.h"

#include <utility>

PageArrival::PageArrival(Browser& browser, FileSystem& files, QString fileLocn, QString userDir, Effects effects,
                         QObject* parent)
    : QObject(parent),
      browser_(browser),
      fileLocn_(std::move(fileLocn)),
      history_(files, HistoryLog::pathIn(userDir)),
      effects_(std::move(effects)) {
  connect(&browser_, &Browser::documentComplete, this, &PageArrival::documentComplete);
}

void PageArrival::navigate(const QString& url) {
  if (url.isEmpty()) return;
  browser_.navigate(url);
}

void PageArrival::contents() {
  const int screen = effects_.screenClass();
  const QString start = pages::startPage(screen);
  navigate(fileLocn_ + (state_.CurrentPage == start ? pages::contentsPage(screen) : start));
}

void PageArrival::back() {
  // Only a step that happens is marked: a mark left standing would turn the next module
  // entry page into a step back.
  if (!browser_.canGoBack()) return;
  state_.BackPressed = true;
  browser_.goBack();
}

void PageArrival::stepBack() { browser_.goBack(); }

// ---- Arrival --------------------------------------------------------------------------

void PageArrival::documentComplete() {
  // Words to mark belong to the page the search opened, or to the class page it leads on to.
  const QStringList marks = std::exchange(marksOnArrival_, {});
  const QString location = browser_.locationUrl();
  const std::optional<QStringView> name = pages::pageNameOf(location);
  if (!browser_.loadSucceeded() && !(name && pages::setsOffWithoutThePage(pages::dispatch(*name))))
    return keepLastPage();
  ViewerState& v = state_;
  v.CurrentPage = location;
  const QString upper = location.toUpper();
  if (location.isEmpty() || upper == u"HTTP:///" || upper == u"FILE:///" || !name) return finish();

  effects_.showWindow();
  v.CurrentPage = name->toString();
  applyTitle();

  using pages::Arrival;
  switch (const Arrival kind = pages::dispatch(v.CurrentPage)) {
    case Arrival::Video:
    case Arrival::Narration: handleMediaTrigger(kind); break;
    case Arrival::ClassPage:
      takeNavigationLinks();
      showMarks(marks);
      effects_.pageShown(v.CurrentPage);
      break;
    case Arrival::SearchTrigger:
    case Arrival::IndexTrigger:
    case Arrival::HistTrigger: effects_.openSideWindow(kind); break;
    case Arrival::StartPage:
    case Arrival::Ordinary:
      takeNavigationLinks();
      recordPage();
      showMarks(marks);
      effects_.pageShown(v.CurrentPage);
      break;
    case Arrival::ContentsPage:
      handleContentsPage();
      showMarks(marks);
      effects_.pageShown(v.CurrentPage);
      break;
    case Arrival::ModuleTable:
      if (!v.BackPressed) marksOnArrival_ = marks;
      redirectToClass(*pages::moduleTableKey(v.CurrentPage));
      break;
  }
  finish();
}

void PageArrival::keepLastPage() {
  // The user never saw the page: it is not recorded, and every command still goes where
  // the last page that did load said. The window comes up, though, in case a side window
  // sent the browser here and hid itself.
  effects_.showWindow();
  finish();
}

void PageArrival::applyTitle() {
  if (const auto module = pages::moduleOf(state_.CurrentPage)) {
    state_.CurrentModule = static_cast<qint16>(*module);
    effects_.setTitle(
        QStringLiteral("%1 - Module %2").arg(QString::fromUtf16(launcher::kReaderTitle)).arg(state_.CurrentModule));
  } else {
    effects_.setTitle(QString::fromUtf16(launcher::kReaderTitle));
  }
}

void PageArrival::takeNavigationLinks() {
  // Each link on its own: a page with fewer links leaves the other targets as they were.
  if (auto link = browser_.linkHref(0)) state_.SecnLink = *link;
  if (auto link = browser_.linkHref(1)) state_.PrevLink = *link;
  if (auto link = browser_.linkHref(2)) state_.NextLink = *link;
}

void PageArrival::recordPage() {
  // A log that cannot be written is not worth interrupting the user for: the log says why.
  history_.append(state_.CurrentPage);
}

void PageArrival::finish() { state_.BackPressed = false; }

void PageArrival::redirectToClass(const QString& key) {
  if (state_.BackPressed) {
    // Stepping back onto a page that only leads on: step over it as well.
    browser_.goBack();
    state_.BackPressed = false;
    return;
  }
  takeNavigationLinks();
  if (const auto letter = pages::classLetter(effects_.screenClass()))
    navigate(fileLocn_ + key + *letter + QStringLiteral(".qx"));
  recordPage();
}

void PageArrival::handleContentsPage() {
  const QString start = fileLocn_ + pages::startPage(effects_.classifyScreen());
  state_.SecnLink = start;
  state_.PrevLink = start;
  state_.NextLink = start;
  // The contents pages are shared by all layouts; their link back to the start page
  // must lead to the start page of this one.
  browser_.setLinkHref(5, start);
  recordPage();
}

void PageArrival::handleMediaTrigger(pages::Arrival kind) {
  // The trigger page is never left on show.
  browser_.goBack();
  const QString& name = state_.CurrentPage;
  if (kind == pages::Arrival::Video)
    effects_.playVideo(pages::videoAddress(fileLocn_, name));
  else
    effects_.playNarration(pages::narrationAddress(fileLocn_, name).value_or(QString()));
}

void PageArrival::showMarks(const QStringList& words) {
  if (words.isEmpty()) return;
  const search::CaseFold& fold = search::caseFold();
  browser_.markWords(words, fold.from, fold.to);
}
