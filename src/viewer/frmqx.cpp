#include "viewer/frmqx.h"

#include "platform/browser.h"
#include "platform/messageboxes.h"
#include "shell/startup.h"
#include "viewer/historylog.h"

#include <QDir>
#include <QLabel>
#include <QTimer>

frmQX::frmQX(Platform& platform, QWidget* parent) : QWidget(parent), platform_(platform) {
  setWindowTitle(QStringLiteral("   Tavrin"));
  resize(968, 741);
  move(104, 130);

  picAVI = new QLabel(this);
  picAVI->setObjectName(QStringLiteral("picAVI"));
  picAVI->setAutoFillBackground(true);
  picAVI->setStyleSheet(QStringLiteral("background: black"));
  picAVI->setGeometry(0, 0, 81, 33);
  picAVI->hide();

  TimerEnd = new QTimer(this);
  TimerEnd->setInterval(1000);
  connect(TimerEnd, &QTimer::timeout, this, &frmQX::TimerEnd_Timer);

  Web1 = platform_.createBrowser(this);
  Web1->widget()->setObjectName(QStringLiteral("Web1"));
  Web1->widget()->setGeometry(0, 24, 1024, 768);
  connect(Web1, &Browser::documentComplete, this, &frmQX::Web1_DocumentComplete);
}

frmQX::~frmQX() = default;

QString frmQX::historyPath() const { return historylog::pathIn(UserDir); }

// ---- Start-up ----------------------------------------------------------------------

bool frmQX::Form_Load() {
  SetCourseBase();
  if (FileLocn.isEmpty()) return false;  // refused; the copy has ended
  ProgramFilesFolder = startup::programFilesFolder(platform_.environment);
  UserDir = startup::userDir(startup::applicationDataFolder(platform_.environment));
  if (!FolderExists(UserDir) && !QDir().mkpath(UserDir)) {
    // Without the folder no page can be recorded; the reader still works.
    platform_.messages->ask({QStringLiteral("The folder for your reading history cannot be created:\n%1\n\n"
                                            "Tavrin will run, but it cannot keep a history.")
                                 .arg(UserDir),
                             QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok,
                             MessageBoxes::Icon::Warning});
  }
  if (!platform_.anotherCopyRuns()) {
    LastBit();
    return true;
  }
  // A second copy is a launcher; it has no mode yet, so it ends without showing anything.
  EndQX();
  return false;
}

void frmQX::SetCourseBase() {
  const startup::CourseBase base = startup::courseBase(platform_.environment);
  if (!base.error.isEmpty()) {
    platform_.messages->ask({base.error, QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok,
                             MessageBoxes::Icon::Critical});
    platform_.endProcess(1);
    return;
  }
  FileLocn = base.address;
}

bool frmQX::FolderExists(const QString& path) {
  for (;;) {
    if (const auto exists = startup::pathExists(path)) return *exists;
    const auto answer = platform_.messages->ask({QStringLiteral("File Error"), QStringLiteral("File Error"),
                                                 MessageBoxes::Buttons::OkCancel,
                                                 MessageBoxes::Icon::Warning});
    if (answer != MessageBoxes::Answer::Ok) return false;
  }
}

void frmQX::LastBit() {
  const QSize screen = platform_.screenSize();
  ScreenWidth = static_cast<qint16>(screen.width());
  ScreenHeight = static_cast<qint16>(screen.height());
  ClassifyScreen();
  navigateWeb1(FileLocn + pages::startPage(ScreenSize));
  TimerEnd->start();
}

void frmQX::ClassifyScreen() {
  ScreenSize = static_cast<qint16>(pages::classify(ScreenWidth, ScreenHeight));
  picAVI->setGeometry(0, 0, ScreenWidth, ScreenHeight);
}

void frmQX::EndQX() {
  TimerEnd->stop();
  platform_.endProcess(0);
}

void frmQX::navigateWeb1(const QString& url) {
  // An empty target (a button before any page gave it one) is not a page to load.
  if (url.isEmpty()) return;
  Web1->navigate(url);
}

// ---- Commands ----------------------------------------------------------------------

void frmQX::cmdBack_Click() {
  viewer_.BackPressed = true;
  Web1->goBack();
}

// ---- Page arrival -------------------------------------------------------------------

void frmQX::Web1_DocumentComplete() {
  ViewerState& v = viewer_;
  v.CurrentPage = Web1->locationUrl();
  const QString upper = v.CurrentPage.toUpper();
  if (v.CurrentPage.isEmpty() || upper == u"HTTP:///" || upper == u"FILE:///") return finishArrival();
  const qsizetype qx2 = v.CurrentPage.indexOf(u"qx2/");
  if (qx2 < 0) return finishArrival();

  if (!isVisible()) show();
  v.CurrentPage = v.CurrentPage.mid(qx2 + 4);
  applyTitle();

  using pages::Arrival;
  switch (const Arrival kind = pages::dispatch(v.CurrentPage)) {
    case Arrival::Video:
    case Arrival::Narration:
      handleMediaTrigger(kind);
      break;
    case Arrival::ClassPage:
      takeNavigationLinks();
      break;
    case Arrival::SearchTrigger:
    case Arrival::IndexTrigger:
    case Arrival::HistTrigger:
      openSideWindow(kind);
      break;
    case Arrival::StartPage:
    case Arrival::Ordinary:
      takeNavigationLinks();
      recordPage();
      break;
    case Arrival::ContentsPage:
      handleContentsPage();
      break;
    case Arrival::ModuleTable:
      RedirectToClass(*pages::moduleTableKey(v.CurrentPage));
      break;
  }
  finishArrival();
}

void frmQX::applyTitle() {
  if (const auto module = pages::moduleOf(viewer_.CurrentPage)) {
    viewer_.CurrentModule = static_cast<qint16>(*module);
    setWindowTitle(QStringLiteral("Tavrin - Module %1").arg(viewer_.CurrentModule));
  } else {
    setWindowTitle(QStringLiteral("Tavrin"));
  }
}

void frmQX::takeNavigationLinks() {
  // Each link on its own: a page with fewer links leaves the other targets as they were.
  if (auto link = Web1->linkHref(0)) viewer_.SecnLink = *link;
  if (auto link = Web1->linkHref(1)) viewer_.PrevLink = *link;
  if (auto link = Web1->linkHref(2)) viewer_.NextLink = *link;
}

void frmQX::recordPage() {
  // A log that cannot be written is not worth interrupting the reader for.
  historylog::append(historyPath(), viewer_.CurrentPage);
}

void frmQX::finishArrival() {
  Web1->widget()->resize(width(), height());
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
    navigateWeb1(FileLocn + key + *letter + QStringLiteral(".qx"));
  recordPage();
}

void frmQX::handleContentsPage() {
  ClassifyScreen();
  const QString start = FileLocn + pages::startPage(ScreenSize);
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
    PlayVideo(pages::videoAddress(FileLocn, name));
  else
    PlayNarration(pages::narrationAddress(FileLocn, name).value_or(QString()));
}

// ---- Hand-overs ---------------------------------------------------------------------

void frmQX::PlayVideo(const std::optional<QString>& /*address*/) {
  // Video playback is not built yet: the trigger page has been stepped back from.
}

void frmQX::PlayNarration(const QString& /*address*/) {
  // Narration playback is not built yet.
}

void frmQX::openSideWindow(pages::Arrival /*trigger*/) {
  // The search, index and history windows are not built yet; the trigger page stays on show.
}

void frmQX::TimerEnd_Timer() {
  // Polls the shared blocks once the shared-memory channel exists.
}
