#include "viewer/frmqx.h"

#include "external/calc.h"
#include "external/printing.h"
#include "external/withfile.h"
#include "history/frmhist.h"
#include "layout/design.h"
#include "layout/helpimage.h"
#include "layout/keypreview.h"
#include "logic/blocks.h"
#include "logic/classaddress.h"
#include "logic/datafiles.h"
#include "logic/launcher.h"
#include "logic/placement.h"
#include "logic/readingpages.h"
#include "logic/startup.h"
#include "media/blockpoll.h"
#include "media/mediaplayback.h"
#include "mycourse/frmcourse.h"
#include "platform/browser.h"
#include "platform/logging.h"
#include "platform/mediaplayer.h"
#include "platform/messageboxes.h"
#include "search/frmindex.h"
#include "search/frmsearch.h"
#include "viewer/findbar.h"
#include "viewer/pagearea.h"
#include "viewer/placebar.h"

#include <algorithm>

#include <QCloseEvent>
#include <QStyle>
#include <QTimer>

namespace {

// The side windows this program has.
std::unique_ptr<SideWindow> makeSideWindow(SideWindowKind kind, SideWindowHost& host, SideWindows& windows) {
  switch (kind) {
    case SideWindowKind::Search: return std::make_unique<frmSearch>(host, windows);
    case SideWindowKind::Index: return std::make_unique<frmIndex>(host, windows);
    case SideWindowKind::History: return std::make_unique<frmHist>(host, windows);
    case SideWindowKind::Course: return std::make_unique<frmCourse>(host, windows);
  }
  return nullptr;
}

}  // namespace

frmQX::frmQX(Platform& platform, CourseSetup setup)
    : CommandWindow(CommandBar::Slot3::Search, design::kMainHelp, mainHelp()),
      platform_(platform),
      WaitOneSecond{platform.clock, platform.processEvents},
      FileExists{platform.messages, [this] { EndQX(); }, platform.files},
      setup_(std::move(setup)),
      companion_(*platform.files, setup_.UserDir, platform.programFolder + u'/' + search::kPagesFile),
      sideWindows_(*this,
                   {setup_.FileLocn, setup_.UserDir, platform.programFolder, *platform.messages, FileExists,
                    *platform.files, WaitOneSecond, companion_, platform.askForFile},
                   makeSideWindow) {
  setUpWindow();
  setUpPages();
  setUpBlockPoll();
  connectCommandBar(bar_, this, &frmQX::cmdSearch_Click);
  setUpReloadAfterResize();
}

frmQX::~frmQX() = default;

void frmQX::setUpWindow() {
  setWindowTitle(QString::fromUtf16(launcher::kReaderStartCaption));
  resize(design::kClientSize);
  move(design::kWindowPos);
  // The black backdrop of the videos, sized to the screen once it is classified.
  picAVI = new QLabel(this);
  picAVI->setObjectName(QStringLiteral("picAVI"));
  picAVI->setStyleSheet(QStringLiteral("background: black"));
  picAVI->setGeometry(design::kPicAVI);
  picAVI->hide();
}

void frmQX::setUpPages() {
  pageArea_ =
      new PageArea(platform_.createBrowser, *platform_.files, startup::settingsFile(platform_.environment), this);
  pageArea_->setGeometry(design::kWeb1);
  pageArea_->arrange();
  pageArea_->lower();  // the help picture and the videos' backdrop cover it
  Web1 = &pageArea_->browser();
  pages_ = new PageArrival(*Web1, *platform_.files, setup_.FileLocn, setup_.UserDir, arrivalEffects(), this);
  // Where a page was scrolled to is kept, written at most once a second.
  writePlace_ = new QTimer(this);
  writePlace_->setSingleShot(true);
  writePlace_->setInterval(kPlaceWrittenEvery);
  connect(writePlace_, &QTimer::timeout, this, [this] { (void)companion_.place().save(); });
  connect(Web1, &Browser::scrolled, this, [this](int y, int height) {
    if (!companion_.loaded()) return;
    companion_.place().scrolled({y, height});
    if (companion_.place().unsaved() && !writePlace_->isActive()) writePlace_->start();
  });
}

PageArrival::Effects frmQX::arrivalEffects() {
  return {
      .showWindow = [this] { comeBack(); },
      .setTitle = [this](const QString& title) { setWindowTitle(title); },
      .screenClass = [this] { return int(ScreenSize); },
      .classifyScreen =
          [this] {
            ClassifyScreen();
            return int(ScreenSize);
          },
      .playVideo = [this](const std::optional<QString>& address) { media().PlayVideo(address); },
      .playNarration = [this](const QString& address) { media().PlayNarration(address); },
      .openSideWindow = [this](pages::Arrival trigger) { sideWindows_.openOnArrival(*SideWindows::openedBy(trigger)); },
      .pageShown = [this](const QString& name) { pageShown(name); },
  };
}

// The player costs more to make than the first page takes to arrive (its libraries, the
// sound devices and, on a fresh account, a rebuilt plugin registry), and many sessions
// never play anything: it is made when the first video or narration comes.
MediaPlayback& frmQX::media() {
  if (!media_) {
    WMP1.reset(platform_.createPlayer(this));
    media_ = new MediaPlayback(*WMP1, picAVI, {[this] { return screenMetrics(); }, [this] { WaitOneSecond(); }}, this);
  }
  return *media_;
}

withfile& frmQX::returnWindow() {
  if (!withfile_) {
    withfile_ = std::make_unique<withfile>(withfile::Host{
        platform_.blocks, platform_.messages, [this] { return platform_.screenPixels().width(); },
        [this] {
          if (!platform_.activateWindow || !platform_.activateWindow(QString::fromUtf16(launcher::kReaderTitle))) {
            raise();
            activateWindow();
          }
        },
        [this] { setFromWithfile(true); }, [this] { EndQX(); }});
  }
  return *withfile_;
}

void frmQX::setUpBlockPoll() {
  poll_ = new BlockPoll(
      *platform_.blocks, [this] { return setup_.FileLocn; },
      {[this] { StopMedia(); }, [this](const QString& address) { media().PlayNarration(address); },
       [this] { returnWindow().Load(); },
       [this] {
         if (withfile_) withfile_->Unload();
       }},
      this);
}

void frmQX::setUpReloadAfterResize() {
  // While the user drags the window's edge, reload the page once the size settles.
  reloadAfterResize_ = new QTimer(this);
  reloadAfterResize_->setSingleShot(true);
  reloadAfterResize_->setInterval(kResizeSettles);
  connect(reloadAfterResize_, &QTimer::timeout, this, &frmQX::reloadForClass);
}

// ---- Start-up ----------------------------------------------------------------------

void frmQX::Form_Load() {
  // Maximised before the first page is asked for: that page is chosen for the whole screen,
  // and the browser lays it out once, at its final size.
  showMaximized();
  pageArea_->focusPage();
  LastBit();
}

void frmQX::LastBit() {
  const QSize screen = platform_.screenPixels();
  ScreenWidth = static_cast<qint16>(screen.width());
  ScreenHeight = static_cast<qint16>(screen.height());
  ClassifyScreen();
  pages_->navigate(setup_.FileLocn + pages::startPage(ScreenSize));
  poll_->start();
}

void frmQX::ClassifyScreen() {
  ScreenSize = static_cast<qint16>(pages::classify(ScreenWidth, ScreenHeight));
  picAVI->setGeometry(0, 0, ScreenWidth, ScreenHeight);
}

// ---- Quitting -----------------------------------------------------------------------

void frmQX::AskQuit(QWidget* reference) {
  QWidget* owner = reference ? reference : this;
  const auto answer = placement::msgBoxAt(*platform_.messages,
                                          {QStringLiteral("Do you want to quit?"), QStringLiteral("Quit Tavrin?"),
                                           MessageBoxes::Buttons::YesNo, MessageBoxes::Icon::Question, owner},
                                          placement::kQuitQuestion);
  if (answer != MessageBoxes::Answer::Yes) return;
  const QString log = historyPath();
  if (FileExists(log, owner) && !platform_.files->remove(log)) {
    platform_.messages->ask({QStringLiteral("Your reading history could not be deleted:\n%1").arg(log),
                             QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning, owner});
  }
  EndQX();
}

void frmQX::closeEvent(QCloseEvent* event) {
  // A copy started with a command line, or one the return window quits, closes unasked.
  if (!platform_.commandLine.isEmpty() || FromWithfile) {
    event->accept();
    return;
  }
  event->ignore();
  AskQuit();
}

void frmQX::EndQX() {
  poll_->stop();
  // The program ends without unwinding: what the student's files still wait for is written now.
  companion_.flush();
  endCopy(platform_);
}

// ---- Layout -------------------------------------------------------------------------

void frmQX::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The page fills the window below the command bar, down to its bottom edge, whatever size
  // the window has, also one it was given while hidden.
  const int top = design::kWeb1.top();
  pageArea_->setGeometry(0, top, width(), std::max(0, height() - top));
  pageArea_->arrange();
  Form_Resize();
}

void frmQX::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) Form_Resize();
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) sideWindows_.hideAll();
}

int frmQX::captionHeight() const {
  const int frameTop = geometry().top() - frameGeometry().top();
  return frameTop > 0 ? frameTop : style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

void frmQX::Form_Resize() {
  // Only a size the user sees counts. A minimised window shows no page, and the window
  // system reports sizes of a hidden window (and the same size again when it comes back
  // from a side window) that nobody chose: none of these may reload the page.
  if (!isVisible() || (windowState() & Qt::WindowMinimized)) return;
  const Shape shape{size(), windowState() & ~Qt::WindowActive};
  if (shape == handledShape_) return;
  handledShape_ = shape;
  rescueIfOffscreen();
  ScreenHeight = static_cast<qint16>(height() + captionHeight());
  ScreenWidth = static_cast<qint16>(width());
  const QSize screen = platform_.screenPixels();
  if (ScreenWidth == screen.width() && ScreenHeight == screen.height() && !(windowState() & Qt::WindowMaximized))
    setWindowState(windowState() | Qt::WindowMaximized);
  if (windowState() & Qt::WindowMaximized) {
    ScreenWidth = static_cast<qint16>(screen.width());
    ScreenHeight = static_cast<qint16>(screen.height());
  }
  ClassifyScreen();
  // Before the first page has arrived there is nothing to reload: the start page on its
  // way is already the one for the screen.
  if (Web1->locationUrl().isEmpty())
    reloadAfterResize_->stop();
  else
    reloadAfterResize_->start();
}

void frmQX::reloadForClass() {
  pages_->navigate(classaddress::addressForClass(Web1->locationUrl(), setup_.FileLocn, ScreenSize));
}

// ---- Commands -----------------------------------------------------------------------

void frmQX::cmdCont_Click() {
  picHelp->hide();
  pages_->contents();
}

void frmQX::cmdSearch_Click() {
  picHelp->hide();
  sideWindows_.openFromMain(SideWindowKind::Search);
}

void frmQX::cmdHist_Click() {
  picHelp->hide();
  sideWindows_.openFromMain(SideWindowKind::History);
}

void frmQX::cmdBack_Click() {
  picHelp->hide();
  pages_->back();
}

void frmQX::cmdPrev_Click() {
  picHelp->hide();
  pages_->previous();
}

void frmQX::cmdNext_Click() {
  picHelp->hide();
  pages_->next();
}

void frmQX::cmdSecn_Click() {
  picHelp->hide();
  pages_->section();
}

void frmQX::Form_KeyDown(int& key, int& shift) {
  takeSharedKeys(key, shift);
  if (readingAidKeys(key, shift)) return;
  // While a strip above the page has the keyboard, its keys are its own.
  if (pageArea_->stripTakesKey(key, shift)) {
    key = 0;
    return;
  }
  if (key == keys::kEscape) {
    StopMedia();
  } else if (key == keys::kPageUp) {
    cmdPrev_Click();
    key = 0;
  } else if (key == keys::kPageDown) {
    cmdNext_Click();
    key = 0;
  } else if (returnWindowKey(key, shift)) {
    key = 0;
  }
}

void frmQX::StopMedia() {
  if (media_)
    media_->StopMedia();
  else
    picAVI->hide();  // with no player made nothing plays: the backdrop is all there is to stop
}

void frmQX::cmdCalc_Click() {
  picHelp->hide();
  startCalculator(this);
}

void frmQX::startCalculator(QWidget* window) { calc::start(platform_.startCalculator, *platform_.messages, window); }

bool frmQX::returnWindowKey(int key, int shift) {
  return withfile_ && withfile_->loaded() && withfile_->takeKey(key, shift);
}

void frmQX::cmdPrint_Click() { printFrom(picHelp, this); }

void frmQX::printFrom(QLabel* help, QWidget* window) {
  printing::WindowPrintTarget target(help, *Web1, window);
  printing::print(target, *platform_.messages, window);
}

// ---- Page arrival -------------------------------------------------------------------

void frmQX::comeBack() {
  if (isVisible()) return;
  show();
  // Where the window manager withholds activation, or there is none, the window comes
  // back without becoming active: the side windows go here, not only on activation.
  sideWindows_.hideAll();
}

// ---- The student's place, bookmarks and progress -----------------------------------

void frmQX::pageShown(const QString& name) {
  // Read after the first page, so that it never holds that page up.
  const bool first = !companion_.loaded();
  if (first) companion_.load();
  // The place kept from before, which the first page's arrival may move.
  const std::optional<reading::Place> kept = first ? companion_.place().place() : std::nullopt;
  if (resuming_ && reading::shows(name, resuming_->page)) {
    Web1->scrollTo(resuming_->scroll.yFor(Web1->pageHeight()));
    resuming_.reset();
  }
  companion_.arrived(name, Web1->title());
  if (first) {
    if (const QString refused = companion_.takeRefusals(); !refused.isEmpty())
      platform_.messages->ask(
          {QStringLiteral("Some of your reading files cannot be used and are left as they are:\n%1\n\n"
                          "Tavrin runs on without what they keep.")
               .arg(refused),
           QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Warning, this});
    if (kept && !reading::shows(name, kept->page)) offerPlace(*kept);
  } else if (pageArea_->hasPlaceBar() && pageArea_->placeBar().offering()) {
    // The student went elsewhere: the offer is no longer wanted.
    pageArea_->placeBar().close();
  }
}

void frmQX::offerPlace(const reading::Place& place) {
  offered_ = place;
  PlaceBar& bar = pageArea_->placeBar();
  connect(&bar, &PlaceBar::resumeRequested, this, &frmQX::resumePlace, Qt::UniqueConnection);
  bar.offer(companion_.titleOf(place.page, place.ownTitle));
}

void frmQX::resumePlace() {
  if (!offered_) return;
  resuming_ = std::exchange(offered_, std::nullopt);
  pageArea_->placeBar().close();
  pages_->navigate(reading::address(setup_.FileLocn, resuming_->page, ScreenSize));
}

void frmQX::toggleBookmark() {
  const QString page = pages_->state().CurrentPage;
  PlaceBar& bar = pageArea_->placeBar();
  const Result<reading::Bookmarks::Toggled> toggled = companion_.bookmarks().toggle(page, Web1->title());
  if (!toggled) {
    bar.tell(QStringLiteral("Not bookmarked: %1.").arg(toggled.error()));
    return;
  }
  const QString title = companion_.titleOf(reading::keptName(page), Web1->title());
  bar.tell(*toggled == reading::Bookmarks::Toggled::Added ? QStringLiteral("Bookmarked: %1").arg(title)
                                                          : QStringLiteral("Bookmark taken away: %1").arg(title));
}

// ---- Reading aids -------------------------------------------------------------------

bool frmQX::readingAidKeys(int& key, int shift) {
  const bool ctrl = shift == keys::kCtrl;
  const bool ctrlAnyShift = (shift & ~keys::kShift) == keys::kCtrl;
  if (ctrl && key == keys::kF)
    pageArea_->openFindBar();
  else if (ctrl && key == keys::kD)
    toggleBookmark();
  else if (ctrl && key == keys::kB)
    sideWindows_.openFromMain(SideWindowKind::Course);
  else if (ctrlAnyShift && key == keys::kPlus)
    pageArea_->zoomBy(+1);
  else if (ctrlAnyShift && key == keys::kMinus)
    pageArea_->zoomBy(-1);
  else if (ctrl && key == keys::k0)
    pageArea_->zoomBy(0);
  else
    return false;
  key = 0;
  return true;
}
