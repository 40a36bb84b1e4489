#include "viewer/frmqx.h"

#include "external/printing.h"
#include "external/withfile.h"
#include "history/frmhist.h"
#include "layout/design.h"
#include "layout/helpimage.h"
#include "layout/keypreview.h"
#include "logic/blocks.h"
#include "logic/classaddress.h"
#include "logic/historylog.h"
#include "logic/launcher.h"
#include "logic/placement.h"
#include "logic/searchquery.h"
#include "logic/startup.h"
#include "logic/zoom.h"
#include "media/blockpoll.h"
#include "media/mediaplayback.h"
#include "platform/browser.h"
#include "platform/logging.h"
#include "platform/mediaplayer.h"
#include "platform/messageboxes.h"
#include "search/frmindex.h"
#include "search/frmsearch.h"
#include "viewer/findbar.h"

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>

namespace {

// The side windows this program has.
std::unique_ptr<SideWindow> makeSideWindow(SideWindowKind kind, SideWindowHost& host, SideWindows& windows) {
  switch (kind) {
    case SideWindowKind::Search: return std::make_unique<frmSearch>(host, windows);
    case SideWindowKind::Index: return std::make_unique<frmIndex>(host, windows);
    case SideWindowKind::History: return std::make_unique<frmHist>(host, windows);
  }
  return nullptr;
}

}  // namespace

frmQX::frmQX(Platform& platform, CourseSetup setup)
    : CommandWindow(CommandBar::Slot3::Search, design::kMainHelp, mainHelpImage),
      platform_(platform),
      WaitOneSecond{platform.clock, platform.processEvents},
      FileExists{platform.messages, [this] { EndQX(); }, platform.files},
      setup_(std::move(setup)),
      history_(*platform.files, HistoryLog::pathIn(setup_.UserDir)),
      sideWindows_(*this, makeSideWindow) {
  setUpWindow();
  setUpBrowser();
  setUpBlockPoll();
  setUpCommands();
  setUpReloadAfterResize();
  setUpZoom();
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

void frmQX::setUpBrowser() {
  Web1 = platform_.createBrowser(this);
  Web1->widget()->setObjectName(QStringLiteral("Web1"));
  Web1->widget()->setGeometry(design::kWeb1);
  connect(Web1, &Browser::documentComplete, this, &frmQX::Web1_DocumentComplete);
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

void frmQX::setUpCommands() { connectCommandBar(bar_, this, &frmQX::cmdSearch_Click); }

void frmQX::setUpReloadAfterResize() {
  // While the user drags the window's edge, reload the page once the size settles.
  reloadAfterResize_ = new QTimer(this);
  reloadAfterResize_->setSingleShot(true);
  reloadAfterResize_->setInterval(150);
  connect(reloadAfterResize_, &QTimer::timeout, this, &frmQX::reloadForClass);
}

QString frmQX::historyPath() const { return HistoryLog::pathIn(setup_.UserDir); }

// ---- Start-up ----------------------------------------------------------------------

void frmQX::Form_Load() {
  // Maximised before the first page is asked for: that page is chosen for the whole screen,
  // and the browser lays it out once, at its final size.
  showMaximized();
  LastBit();
}

void frmQX::LastBit() {
  const QSize screen = platform_.screenPixels();
  ScreenWidth = static_cast<qint16>(screen.width());
  ScreenHeight = static_cast<qint16>(screen.height());
  ClassifyScreen();
  navigateWeb1(setup_.FileLocn + pages::startPage(ScreenSize));
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
                                          placement::Axis::at(100), placement::Axis::at(80));
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
  endCopy(platform_);
}

// ---- Layout -------------------------------------------------------------------------

void frmQX::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
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
  fitWeb1();
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
  const QString address = Web1->locationUrl();
  navigateWeb1(classaddress::addressForClass(address, setup_.FileLocn, ScreenSize));
}

// ---- Commands -----------------------------------------------------------------------

void frmQX::navigateWeb1(const QString& url) {
  // An empty target (a button before any page gave it one) is not a page to load.
  if (url.isEmpty()) return;
  Web1->navigate(url);
}

void frmQX::cmdCont_Click() {
  picHelp->hide();
  const QString start = pages::startPage(ScreenSize);
  navigateWeb1(setup_.FileLocn + (viewer_.CurrentPage == start ? pages::contentsPage(ScreenSize) : start));
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
  // Only a step that happens is marked: a mark left standing would turn the next module
  // entry page into a step back.
  if (!Web1->canGoBack()) return;
  viewer_.BackPressed = true;
  Web1->goBack();
}

void frmQX::goBackWeb1() { Web1->goBack(); }

void frmQX::cmdPrev_Click() {
  picHelp->hide();
  navigateWeb1(viewer_.PrevLink);
}

void frmQX::cmdNext_Click() {
  picHelp->hide();
  navigateWeb1(viewer_.NextLink);
}

void frmQX::cmdSecn_Click() {
  picHelp->hide();
  navigateWeb1(viewer_.SecnLink);
}

void frmQX::Form_KeyDown(int& key, int& shift) {
  takeSharedKeys(key, shift);
  if (readingAidKeys(key, shift)) return;
  if (key == keys::kEscape) {
    StopMedia();
  } else if (key == keys::kPageUp) {
    cmdPrev_Click();
    key = 0;
  } else if (key == keys::kPageDown) {
    cmdNext_Click();
    key = 0;
  } else if (key == keys::kR && shift == keys::kCtrl && withfile_ && withfile_->loaded()) {
    // The return window's click from the keyboard, while an exercise is open.
    withfile_->returnToText();
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
  startCalculator();
}

void frmQX::startCalculator() {
  if (!platform_.startCalculator()) qCWarning(lcLauncher) << "no calculator to start";
}

void frmQX::cmdPrint_Click() { printFrom(picHelp, this); }

void frmQX::printFrom(QLabel* help, QWidget* window) {
  printing::WindowPrintTarget target(help, *Web1, window);
  printing::print(target, *platform_.messages, window);
}

// ---- Page arrival -------------------------------------------------------------------

void frmQX::Web1_DocumentComplete() {
  // Words to mark belong to the page the search opened, or to the class page it leads on to.
  const QStringList marks = std::exchange(marksOnArrival_, {});
  if (findBar_) findBar_->clearResult();  // the new page has not been searched
  if (!Web1->loadSucceeded() && !isTriggerPage(Web1->locationUrl())) return keepLastPage();
  ViewerState& v = viewer_;
  v.CurrentPage = Web1->locationUrl();
  const QString upper = v.CurrentPage.toUpper();
  if (v.CurrentPage.isEmpty() || upper == u"HTTP:///" || upper == u"FILE:///") return finishArrival();
  const qsizetype qx2 = v.CurrentPage.indexOf(u"qx2/");
  if (qx2 < 0) return finishArrival();

  comeBack();
  v.CurrentPage = v.CurrentPage.mid(qx2 + 4);
  applyTitle();

  using pages::Arrival;
  switch (const Arrival kind = pages::dispatch(v.CurrentPage)) {
    case Arrival::Video:
    case Arrival::Narration: handleMediaTrigger(kind); break;
    case Arrival::ClassPage:
      takeNavigationLinks();
      showMarks(marks);
      break;
    case Arrival::SearchTrigger:
    case Arrival::IndexTrigger:
    case Arrival::HistTrigger: sideWindows_.openOnArrival(*SideWindows::openedBy(kind)); break;
    case Arrival::StartPage:
    case Arrival::Ordinary:
      takeNavigationLinks();
      recordPage();
      showMarks(marks);
      break;
    case Arrival::ContentsPage:
      handleContentsPage();
      showMarks(marks);
      break;
    case Arrival::ModuleTable:
      if (!v.BackPressed) marksOnArrival_ = marks;
      RedirectToClass(*pages::moduleTableKey(v.CurrentPage));
      break;
  }
  finishArrival();
}

bool frmQX::isTriggerPage(const QString& location) {
  const qsizetype qx2 = location.indexOf(u"qx2/");
  if (qx2 < 0) return false;
  const pages::Arrival arrival = pages::dispatch(QStringView(location).sliced(qx2 + 4));
  return arrival == pages::Arrival::Video || arrival == pages::Arrival::Narration ||
         SideWindows::openedBy(arrival).has_value();
}

void frmQX::keepLastPage() {
  // The user never saw the page: it is not recorded, and every command still goes where
  // the last page that did load said. The window comes up, though, in case a side window
  // sent the browser here and hid itself.
  comeBack();
  finishArrival();
}

void frmQX::comeBack() {
  if (isVisible()) return;
  show();
  // Where the window manager withholds activation, or there is none, the window comes
  // back without becoming active: the side windows go here, not only on activation.
  sideWindows_.hideAll();
}

void frmQX::applyTitle() {
  if (const auto module = pages::moduleOf(viewer_.CurrentPage)) {
    viewer_.CurrentModule = static_cast<qint16>(*module);
    setWindowTitle(
        QStringLiteral("%1 - Module %2").arg(QString::fromUtf16(launcher::kReaderTitle)).arg(viewer_.CurrentModule));
  } else {
    setWindowTitle(QString::fromUtf16(launcher::kReaderTitle));
  }
}

void frmQX::takeNavigationLinks() {
  // Each link on its own: a page with fewer links leaves the other targets as they were.
  if (auto link = Web1->linkHref(0)) viewer_.SecnLink = *link;
  if (auto link = Web1->linkHref(1)) viewer_.PrevLink = *link;
  if (auto link = Web1->linkHref(2)) viewer_.NextLink = *link;
}

void frmQX::recordPage() {
  // A log that cannot be written is not worth interrupting the user for.
  history_.append(viewer_.CurrentPage);
}

void frmQX::finishArrival() {
  fitWeb1();
  viewer_.BackPressed = false;
}

void frmQX::RedirectToClass(const QString& key) {
  if (viewer_.BackPressed) {
    // Stepping back onto a page that only leads on: step over it as well.
    Web1->goBack();
    viewer_.BackPressed = false;
    return;
  }
  takeNavigationLinks();
  if (const auto letter = pages::classLetter(ScreenSize))
    navigateWeb1(setup_.FileLocn + key + *letter + QStringLiteral(".qx"));
  recordPage();
}

void frmQX::handleContentsPage() {
  ClassifyScreen();
  const QString start = setup_.FileLocn + pages::startPage(ScreenSize);
  viewer_.SecnLink = start;
  viewer_.PrevLink = start;
  viewer_.NextLink = start;
  // The contents pages are shared by all layouts; their link back to the start page
  // must lead to the start page of this one.
  Web1->setLinkHref(5, start);
  recordPage();
}

void frmQX::handleMediaTrigger(pages::Arrival kind) {
  // The trigger page is never left on show.
  Web1->goBack();
  const QString& name = viewer_.CurrentPage;
  if (kind == pages::Arrival::Video)
    media().PlayVideo(pages::videoAddress(setup_.FileLocn, name));
  else
    media().PlayNarration(pages::narrationAddress(setup_.FileLocn, name).value_or(QString()));
}

// ---- Reading aids -------------------------------------------------------------------

void frmQX::setUpZoom() {
  settingsFile_ = startup::settingsFile(platform_.environment);
  zoom_ = zoom::load(*platform_.files, settingsFile_);
  // The pages' own size needs nothing of the browser: the first page is not held up.
  if (zoom_ != zoom::kNormal) Web1->setZoom(zoom_);
  // Ctrl+wheel over the page is seen on its way to the page view's inner widgets.
  qApp->installEventFilter(this);
}

void frmQX::zoomBy(int direction) { setZoom(direction == 0 ? zoom::kNormal : zoom::step(zoom_, direction)); }

void frmQX::setZoom(double factor) {
  if (factor == zoom_) return;
  zoom_ = factor;
  Web1->setZoom(zoom_);
  zoom::save(*platform_.files, settingsFile_, zoom_);
}

bool frmQX::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::Wheel) return CommandWindow::eventFilter(watched, event);
  auto* wheel = static_cast<QWheelEvent*>(event);
  auto* widget = qobject_cast<QWidget*>(watched);
  QWidget* page = Web1->widget();
  if (!(wheel->modifiers() & Qt::ControlModifier) || !widget || !(widget == page || page->isAncestorOf(widget)))
    return CommandWindow::eventFilter(watched, event);
  // A notch of a wheel is 120; a touchpad sends smaller turns that add up to it.
  wheelTurn_ += wheel->angleDelta().y();
  for (; wheelTurn_ >= 120; wheelTurn_ -= 120) zoomBy(+1);
  for (; wheelTurn_ <= -120; wheelTurn_ += 120) zoomBy(-1);
  return true;
}

bool frmQX::readingAidKeys(int& key, int shift) {
  const bool ctrl = shift == keys::kCtrl;
  const bool ctrlAnyShift = (shift & ~keys::kShift) == keys::kCtrl;
  const bool inFindBar = findBar_ && findBar_->hasFocusWithin();
  if (ctrl && key == keys::kF)
    openFindBar();
  else if (ctrlAnyShift && key == keys::kPlus)
    zoomBy(+1);
  else if (ctrlAnyShift && key == keys::kMinus)
    zoomBy(-1);
  else if (ctrl && key == keys::k0)
    zoomBy(0);
  else if (inFindBar && key == keys::kEnter && (shift & ~keys::kShift) == 0)
    Web1->find(findBar_->input()->text(), shift == keys::kShift);
  else if (inFindBar && key == keys::kEscape && shift == 0)
    closeFindBar();
  else
    return false;
  key = 0;
  return true;
}

void frmQX::openFindBar() {
  if (!findBar_) {
    findBar_ = new FindBar(this);
    findBar_->lower();  // the help picture and the videos' backdrop cover it
    connect(findBar_, &FindBar::findRequested, Web1, &Browser::find);
    connect(findBar_, &FindBar::closeRequested, this, &frmQX::closeFindBar);
    connect(Web1, &Browser::found, findBar_, &FindBar::showResult);
  }
  findBar_->open(design::kWeb1.top(), width());
  fitWeb1();
}

void frmQX::closeFindBar() {
  if (!findBar_ || findBar_->isHidden()) return;
  findBar_->hide();
  Web1->find(QString(), false);
  fitWeb1();
  Web1->widget()->setFocus();
}

void frmQX::fitWeb1() {
  // The page keeps its place below the command bar and ends at the window's bottom edge, so
  // that the end of a page and its horizontal scroll bar can be seen. An open find bar
  // takes its height off the top of the page.
  const int bar = findBar_ && !findBar_->isHidden() ? findBar_->height() : 0;
  if (bar) findBar_->resize(width(), bar);
  const int top = design::kWeb1.top() + bar;
  Web1->widget()->setGeometry(0, top, width(), std::max(0, height() - top));
}

void frmQX::markOnArrival(const QStringList& words) { marksOnArrival_ = words; }

void frmQX::showMarks(const QStringList& words) {
  if (words.isEmpty()) return;
  const search::CaseFold& fold = search::caseFold();
  Web1->markWords(words, fold.from, fold.to);
}
