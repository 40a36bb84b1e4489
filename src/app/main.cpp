// The program's entry. Every copy runs the same start-up steps; then the previous-copy test
// decides what it is, and it builds only what that needs: the reader its main window, a
// launcher copy nothing but its job (most jobs need no window, and the libraries of the
// browser and the player are never set going in a copy that brings the reader forward).
// The test hooks in the environment (TAVRIN_PAGE_TIME_LIMIT, TAVRIN_BLOCK_PREFIX,
// TAVRIN_EXERCISE_TICKS) are read here and nowhere else; they are for tests only.
#include "desktop/calculator.h"
#include "desktop/filedialogs.h"
#include "desktop/process.h"
#include "desktop/qpaplatform.h"
#include "desktop/qtmessageboxes.h"
#include "engines.h"
#include "external/launchercopy.h"
#include "logic/launcher.h"
#include "logic/pagerecovery.h"
#include "platform/browser.h"
#include "platform/platform.h"
#include "posix/instancelock.h"
#include "posix/posixblocks.h"
#include "posix/posixfilesystem.h"
#include "shell/startsequence.h"
#include "viewer/frmqx.h"
#include "x11/x11windows.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScreen>
#include <QTimer>

#include <malloc.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>

namespace {

// --help and --version are answered without a window; no launcher command line begins
// with "--".
bool answeredOnTheTerminal(int argc, char* argv[]) {
  if (argc != 2) return false;
  if (std::strcmp(argv[1], "--version") == 0) {
    std::printf("tavrin %s\n", TAVRIN_VERSION);
    return true;
  }
  if (std::strcmp(argv[1], "--help") == 0) {
    std::printf(
        "Usage: tavrin [COMMAND LINE]\n"
        "The Tavrin course reader. Started alone it shows the course; started again while\n"
        "it runs, the new copy does what its command line says and ends:\n"
        "  (nothing)                       bring the running reader forward\n"
        "  /POPJPG=NAME /WxW /HxH          pop up the course picture NAME, W x H pixels,\n"
        "                                  at the mouse pointer (x: any one character)\n"
        "  /PRAC=NN                        start the practice test chNNtest\n"
        "  NAME.cir, NAME.prb              hand the exercise NAME to Trivex\n"
        "  NAME.ckt, qx0000                hand the exercise NAME to Ampvale\n"
        "Environment: TAVRIN_COURSE_BASE (a mirror of the course), APPDATA, XDG_DATA_HOME,\n"
        "ProgramFiles(x86), ProgramFiles, QT_LOGGING_RULES (e.g. \"tavrin.*.debug=true\").\n"
        "See tavrin(1).\n");
    return true;
  }
  return false;
}

// The application object, made when the copy first needs the window system: a window, a
// message box, the screen or an event loop. A copy that only brings the reader forward, or
// finds its simulator already there, never makes it. `prepare` runs just before it is made.
class OnDemandApplication {
 public:
  OnDemandApplication(int& argc, char** argv, std::function<void()> prepare)
      : argc_(argc), argv_(argv), prepare_(std::move(prepare)) {}

  QApplication& get() {
    if (!app_) {
      prepare_();
      app_ = std::make_unique<QApplication>(argc_, argv_);
      QApplication::setApplicationName(QString::fromUtf16(launcher::kReaderTitle));
      QGuiApplication::setDesktopFileName(QStringLiteral(TAVRIN_APP_ID));  // the installed desktop file
    }
    return *app_;
  }
  bool made() const { return app_ != nullptr; }

 private:
  int& argc_;
  char** argv_;
  std::function<void()> prepare_;
  std::unique_ptr<QApplication> app_;
};

// Message boxes, each of which first makes sure there is an application to show it.
class OnDemandMessageBoxes : public MessageBoxes {
 public:
  explicit OnDemandMessageBoxes(OnDemandApplication& app) : app_(app) {}
  Answer ask(const Message& message) override {
    app_.get();
    return boxes_.ask(message);
  }

 private:
  OnDemandApplication& app_;
  QtMessageBoxes boxes_;
};

// What followed the program's name, as the launcher modes read it.
QString commandLineOf(int argc, char* argv[]) {
  QStringList words;
  for (int i = 1; i < argc; ++i) words << QString::fromLocal8Bit(argv[i]);
  return words.join(u' ');
}

// The folder of the executable itself, not of a link to it.
QString programFolder() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(u'/', 0, -2); }

// The browser and the player, from the engines module; a program whose module is missing
// cannot show the course at all, and says so. Every browser shows the pages of the course
// base's origin and no others.
void connectEngines(Platform& platform, Engines& engines, const std::optional<QString>& enginesMissing,
                    const QString& courseBase) {
  const auto withEngines = [&platform, &enginesMissing]<typename Made>(Made* made) {
    if (made) return made;
    platform.messages->ask(
        {QStringLiteral("Tavrin cannot show the course: a part of the program is missing or damaged.\n"
                        "%1\n\nPlease install Tavrin again.")
             .arg(enginesMissing.value_or(QString())),
         QStringLiteral("Tavrin"), MessageBoxes::Buttons::Ok, MessageBoxes::Icon::Critical});
    platform.endProcess(1);
    return made;
  };
  // Test hook, TAVRIN_PAGE_TIME_LIMIT (seconds): tests of the real program shorten the time a
  // page may take to arrive; nobody else needs to.
  std::chrono::milliseconds pageTimeLimit = pagerecovery::kPageTimeLimit;
  if (const int seconds = qEnvironmentVariableIntValue("TAVRIN_PAGE_TIME_LIMIT"); seconds > 0)
    pageTimeLimit = std::chrono::seconds(seconds);
  platform.createBrowser = [&engines, withEngines, courseBase, pageTimeLimit](QWidget* parent) {
    return withEngines(engines.createBrowser(parent, courseBase, pageTimeLimit));
  };
  platform.createPlayer = [&engines, withEngines](QWidget* window) {
    return withEngines(engines.createPlayer(window));
  };
}

// This process and the programs it starts.
void connectProcess(Platform& platform, OnDemandApplication& app) {
  platform.environment = processEnvironment();
  platform.screenPixels = [&app] { return app.get().primaryScreen()->size(); };
  platform.endProcess = [](int code) {
    std::fflush(nullptr);
    ::_exit(code);
  };
  platform.processEvents = processPendingEvents;
  platform.startCalculator = [] { return calculator::start(); };
  platform.askForFile = [&app](const Platform::FileQuestion& question) {
    app.get();
    return askForFile(question);
  };
  platform.startProgram = [](const QString& program) { return QProcess::startDetached(program, {}); };
  platform.setApplicationTitle = [&app](const QString& title) {
    if (!app.made()) return;  // no application, no window to answer to any title
    QApplication::setApplicationName(title);
    QApplication::setApplicationDisplayName(title);
  };
}

void connectBlocks(Platform& platform, PosixBlocks& blocks) {
  platform.blocks = &blocks;
  platform.openBlocks = [&blocks] { return blocks.open(); };
  platform.closeBlocks = [&blocks] { blocks.close(); };
}

// Other programs' windows and the pointer, through the X server; `x11` is connected when
// first asked.
void connectOtherWindows(Platform& platform, std::unique_ptr<X11Windows>& x11) {
  const auto windows = [&x11]() -> X11Windows& {
    if (!x11) x11 = std::make_unique<X11Windows>();
    return *x11;
  };
  platform.activateWindow = [windows](const QString& title) { return windows().activateByTitle(title); };
  platform.maximizeWindow = [windows](const QString& title) {
    const auto window = windows().findWindow(title);
    return window && windows().maximize(*window);
  };
  platform.pointer = [windows]() -> std::optional<Platform::Pointer> {
    const auto pointer = windows().pointer();
    if (!pointer) return std::nullopt;
    // The server counts device pixels; windows are placed in Qt's logical pixels, which
    // differ from them at a scale factor (QT_SCALE_FACTOR, a high-density screen).
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
    return Platform::Pointer{(QPointF(pointer->position) / ratio).toPoint(), pointer->leftButtonDown};
  };
}

// Building the windows and sizing the page to the maximised window free several screen-sized
// buffers (about 10 MB at 1280 x 1024), and glibc keeps such freed heap resident. Once the
// first page has been drawn (a frame or two after it arrives), it is handed back.
void giveBackStartUpHeapAfterFirstPage(Browser& browser) {
  QObject::connect(
      &browser, &Browser::documentComplete, &browser,
      [&browser] { QTimer::singleShot(std::chrono::seconds(1), &browser, [] { ::malloc_trim(0); }); },
      Qt::SingleShotConnection);
}

}  // namespace

int main(int argc, char* argv[]) {
  if (answeredOnTheTerminal(argc, argv)) return 0;

  // Chromium refuses to run as root inside its sandbox (containers, CI); the reader
  // only ever shows the course's own pages.
  if (::geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  applyQpaPlatformChoice();  // before any application object, in every copy

  Platform platform;
  platform.programFolder = programFolder();
  Engines engines(platform.programFolder + QStringLiteral("/modules/tavrin-engines.so"));
  std::optional<QString> enginesMissing;
  // Whatever needs windows may need the browser, whose engine must be loaded before the
  // application object exists.
  OnDemandApplication app(argc, argv, [&] { enginesMissing = engines.load(); });
  OnDemandMessageBoxes messages(app);
  InstanceLock instance;
  SteadyClock clock;
  PosixFileSystem files;
  // Test hook, TAVRIN_BLOCK_PREFIX: tests of the real program keep their blocks apart from a
  // reader that may be running.
  PosixBlocks blocks(qEnvironmentVariable("TAVRIN_BLOCK_PREFIX"));
  std::unique_ptr<X11Windows> x11;  // connected when first needed: only launchers look

  platform.messages = &messages;
  platform.files = &files;
  platform.clock = &clock;
  platform.anotherCopyRuns = [&instance] { return instance.anotherCopyRuns(); };
  platform.commandLine = commandLineOf(argc, argv);
  connectProcess(platform, app);
  connectBlocks(platform, blocks);
  connectOtherWindows(platform, x11);

  const std::optional<CourseSetup> setup = startEveryCopy(platform);
  if (!setup) return 1;
  connectEngines(platform, engines, enginesMissing, setup->FileLocn);

  if (!platform.anotherCopyRuns()) {
    app.get();
    frmQX reader(platform, *setup);
    reader.Form_Load();
    giveBackStartUpHeapAfterFirstPage(*reader.web1());
    return app.get().exec();
  }

  LauncherHost host{platform, *setup, [&app] { app.get(); }};
  // Test hook, TAVRIN_EXERCISE_TICKS: tests of the real program shorten the simulator watch;
  // nobody else needs to.
  if (const int ticks = qEnvironmentVariableIntValue("TAVRIN_EXERCISE_TICKS"); ticks > 0) host.watchTickLimit = ticks;
  LauncherCopy launcher(std::move(host));
  if (!launcher.run(platform.commandLine)) return 0;
  return app.get().exec();
}
